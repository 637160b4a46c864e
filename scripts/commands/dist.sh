# usage: dist                       build both DLLs and the release package in dist/
# With KESTRUNE_SIGN_PFX (a PKCS#12 file) and KESTRUNE_SIGN_PASSWORD set, both DLLs and
# both MSIs are signed with osslsigncode, time-stamped when KESTRUNE_SIGN_TIMESTAMP_URL is
# set too; KESTRUNE_DIST_DIR puts the package in another folder than dist/.
# Builds the 32-bit and 64-bit Kestrune.dll and lays out dist/Kestrune-VERSION/ and
# dist/Kestrune-VERSION.zip: the DLLs, install.cmd and uninstall.cmd, the example pages
# and the documentation for administrators, with a SHA256SUMS in the package and one for
# the zip and the two MSIs beside it: Kestrune-VERSION-x86.msi (the 32-bit DLL) and
# Kestrune-VERSION-x64.msi (both), built by wixl. The same DLLs and sources give the same
# zip and MSIs, byte for byte: files go in sorted order, with the last commit's time
# (SOURCE_DATE_EPOCH) as every date, fixed permissions, and no owner or extra time fields;
# each MSI's cabinet keeps those dates, and packaging/build_msi.sh replaces the random
# package code and the clock's times that wixl writes in the summary information with a
# package code derived from the version and the bitness and SOURCE_DATE_EPOCH.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
cd "$KESTRUNE_ROOT"

ensure_windows_tools
# msitools' library and its Python bindings set the MSIs' summary information.
ensure_packages zip wixl python3 python3-gi gir1.2-libmsi-1.0

# VERSION is the one place the version is written; the DLLs' version records read it too.
version=$(head -n 1 VERSION)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "dist: VERSION holds no a.b.c.d version" >&2; exit 1; }
name=Kestrune-$version
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
fi
# strip takes the PE header's time stamp from it, which keeps the copies reproducible.
export SOURCE_DATE_EPOCH

out=${KESTRUNE_DIST_DIR:-dist}
package=$out/$name
rm -rf "$package" "$out/$name.zip" "$out/$name-x86.msi" "$out/$name-x64.msi"
mkdir -p "$package"

# copy_dll ARCH FOLDER TOOL_PREFIX: the release DLL without its symbols and debug
# sections (most of them the static C++ runtime's), which Windows never reads.
copy_dll() {
  local dll
  dll=$(build_windows "$1" kestrune_dll)/server/Kestrune.dll
  mkdir -p "$package/$2"
  "$3-strip" --strip-all -o "$package/$2/Kestrune.dll" "$dll"
}
copy_dll win32 x86 i686-w64-mingw32
copy_dll win64 x64 x86_64-w64-mingw32

# sign_file FILE: an Authenticode signature in place. The signing time is the commit's,
# as every other date in the package, so that the same key gives the same bytes (an
# RSA signature is deterministic); a time stamp from a server is not, and is left out
# unless asked for.
sign_file() {
  local timestamp=()
  [ -z "${KESTRUNE_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$KESTRUNE_SIGN_TIMESTAMP_URL")
  osslsigncode sign -pkcs12 "$KESTRUNE_SIGN_PFX" -readpass <(printf '%s' "${KESTRUNE_SIGN_PASSWORD:-}") \
    -h sha256 -n "Kestrune $version" -time "$SOURCE_DATE_EPOCH" "${timestamp[@]}" \
    -in "$1" -out "$1.signed" >/dev/null || { rm -f "$1.signed"; return 1; }
  mv "$1.signed" "$1"
}
if [ -n "${KESTRUNE_SIGN_PFX:-}" ]; then
  ensure_packages osslsigncode openssl
  subject=$(openssl pkcs12 -in "$KESTRUNE_SIGN_PFX" -nokeys -clcerts -passin env:KESTRUNE_SIGN_PASSWORD 2>/dev/null |
    openssl x509 -noout -subject -nameopt RFC2253 2>/dev/null) || subject=
  [ -n "$subject" ] || { echo "dist: no certificate readable in $KESTRUNE_SIGN_PFX with KESTRUNE_SIGN_PASSWORD" >&2; exit 1; }
  sign_file "$package/x86/Kestrune.dll"
  sign_file "$package/x64/Kestrune.dll"
  echo "dist: signed x86\\Kestrune.dll and x64\\Kestrune.dll as ${subject#subject=}"
else
  echo "dist: unsigned: set KESTRUNE_SIGN_PFX and KESTRUNE_SIGN_PASSWORD to sign the DLLs and MSIs"
fi

# install.cmd names the version it registers, and /check the version it expects.
sed "s/@VERSION@/$version/g" packaging/install.cmd > "$package/install.cmd"
cp packaging/uninstall.cmd packaging/file-version.vbs "$package/"

# The example pages, without anything that was uploaded through them; the empty uploads
# folder stays because the pages save there.
mkdir -p "$package/examples/uploads"
(cd examples && find . -path ./uploads -prune -o -type f -print) | LC_ALL=C sort |
  while read -r file; do
    mkdir -p "$package/examples/$(dirname "$file")"
    cp "examples/$file" "$package/examples/$file"
  done

# to_crlf: Notepad on older Windows Server shows LF-only text as one long line.
to_crlf() { sed -e 's/\r$//' -e 's/$/\r/'; }

# The documentation for people who install and use the component. A link to a page
# that stays in the repository becomes plain text naming where to find it.
user_docs="README.md reference.md installing-on-iis.md text-conversion.md troubleshooting.md security.md"
mkdir -p "$package/docs"
unlink=()
for page in docs/*.md; do
  case " $user_docs " in *" ${page#docs/} "*) continue ;; esac
  unlink+=(-e "s%\\[([^]]*)\\]\\(${page#docs/}(#[^)]*)?\\)%\\1 (${page} in the source repository)%g")
done
unlink+=(-e 's%\[([^]]*)\]\(\.\./([^)#]*)(#[^)]*)?\)%\1 (\2 in the source repository)%g')
for doc in $user_docs; do
  sed -E "${unlink[@]}" "docs/$doc" | to_crlf > "$package/docs/$doc"
done

sed "s/@VERSION@/$version/g" packaging/README.txt.in | to_crlf > "$package/README.txt"
[ ! -f LICENSE ] || to_crlf < LICENSE > "$package/LICENSE.txt"

# SHA256SUMS lists every other file of the package, for sha256sum -c or Get-FileHash.
(cd "$package" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum | to_crlf > SHA256SUMS)

find "$package" -type d -exec chmod 755 {} +
find "$package" -type f -exec chmod 644 {} +
find "$package" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
# zip stores local times: UTC keeps the zip the same wherever it is built.
(cd "$out" && find "$name" | LC_ALL=C sort | TZ=UTC zip -q -X -@ "$name.zip")
# The MSIs carry the DLLs as signed above, with the same dates, and are signed
# themselves in turn.
for arch in x86 x64; do
  bash packaging/build_msi.sh "$arch" "$version" "$package" "$out/$name-$arch.msi"
  [ -z "${KESTRUNE_SIGN_PFX:-}" ] || sign_file "$out/$name-$arch.msi"
done
[ -z "${KESTRUNE_SIGN_PFX:-}" ] || echo "dist: signed $name-x86.msi and $name-x64.msi as ${subject#subject=}"
# And one beside the zip and the MSIs, for checking a download before opening it.
(cd "$out" && sha256sum "$name.zip" "$name-x64.msi" "$name-x86.msi" | to_crlf > SHA256SUMS)
echo "$out/$name/"
echo "$out/$name.zip"
echo "$out/$name-x86.msi"
echo "$out/$name-x64.msi"
echo "$out/SHA256SUMS"
