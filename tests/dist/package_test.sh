# The release package as ./run dist leaves it: what dist/Kestrune-VERSION/ and its zip
# hold, what the two DLLs are made of, and install.cmd / uninstall.cmd run by Wine's cmd
# in a fresh 64-bit prefix of their own. Ends with "N passed, N failed"; with
# KESTRUNE_RESULTS set, each check's outcome also goes to that file, one a line
# (passed|failed TAB label), for scripts/test_counts.py.
# Usage: bash tests/dist/package_test.sh
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
cd "$KESTRUNE_ROOT"

version=$(head -n 1 VERSION)
name=Kestrune-$version
package=dist/$name
here=tests/dist
uuid_before() {  # uuid_before KEYWORD [NAME]: the uuid attribute just before KEYWORD (NAME) in the IDL
  awk -v keyword="$1" -v name="${2:-}" '/uuid\(/ { match($0, /uuid\([^)]*\)/); id = substr($0, RSTART + 5, RLENGTH - 6) }
    $1 == keyword && (name == "" || $2 == name) { print toupper(id); exit }' typelib/kestrune.idl
}
clsid=$(uuid_before coclass Tessock)
upload_clsid=$(uuid_before coclass Upload)
libid=$(uuid_before library)

passed=0
failed=0
results=${KESTRUNE_RESULTS:-/dev/null}
: > "$results"
check() {  # check LABEL COMMAND...: one counted check
  if "${@:2}"; then
    passed=$((passed + 1))
    printf 'passed\t%s\t\n' "$1" >> "$results"
  else
    echo "FAILED: $1" >&2
    failed=$((failed + 1))
    printf 'failed\t%s\t\n' "$1" >> "$results"
  fi
}
same() {  # same EXPECTED ACTUAL: true when equal, else shows both
  [ "$1" = "$2" ] && return 0
  diff -u --label expected --label actual <(echo "$1") <(echo "$2") | sed 's/^/    /' >&2
  return 1
}
contains() {  # contains TEXT LINE: TEXT has LINE as one of its lines
  grep -qxF -- "$2" <<<"$1" && return 0
  echo "    missing: $2" >&2
  return 1
}

# --- the two DLLs ---------------------------------------------------------------------
# folder  objdump prefix      file format  machine  type-library target (1 win32, 3 win64)  bitness
dlls="x86 i686-w64-mingw32 pei-i386 0x14c 1 32-bit
x64 x86_64-w64-mingw32 pei-x86-64 0x8664 3 64-bit"

exports_of() { sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\t\[ *[0-9]*\] //p' | sort; }
imports_outside_allow_list() {
  sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]' |
    grep -vxE 'advapi32\.dll|kernel32\.dll|msvcrt\.dll|ole32\.dll|oleaut32\.dll|user32\.dll'
}
no_debug_sections() { ! grep -q ' \.debug_' <<<"$1"; }
facts_have() {  # facts_have FACTS LINE...
  local facts=$1 line ok=0
  shift
  for line in "$@"; do contains "$facts" "$line" || ok=1; done
  return $ok
}

while read -r folder tools format machine syskind bits; do
  dll=$package/$folder/Kestrune.dll
  dump=$("$tools-objdump" -p "$dll" 2>/dev/null)
  facts=$(python3 "$here/pe_facts.py" "$dll" 2>&1)
  check "$folder: machine type $machine" facts_have "$facts" "machine $machine"
  check "$folder: objdump reads it as $format" \
    grep -q "file format $format\$" <<<"$("$tools-objdump" -f "$dll" 2>&1)"
  check "$folder: exports the four entry points, undecorated" same \
    "$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)" \
    "$(exports_of <<<"$dump")"
  check "$folder: imports system DLLs only" same "" "$(imports_outside_allow_list <<<"$dump")"
  # Explorer's Details tab and the MSI's file table read these; the description alone
  # tells the two builds apart.
  check "$folder: version record $version, from VERSION, with company and $bits description" \
    facts_have "$facts" \
    "version fixed FileVersion $version" "version fixed ProductVersion $version" \
    "version string FileVersion $version" "version string ProductVersion $version" \
    "version string CompanyName Kestrune" "version string ProductName Kestrune" \
    "version string FileDescription Kestrune file-upload component ($bits)" \
    "version string OriginalFilename Kestrune.dll" \
    "version string LegalCopyright Copyright (C) 2026 the Kestrune developers"
  check "$folder: type library TYPELIB 1 for system kind $syskind" facts_have "$facts" \
    "resource TYPELIB 1" "typelib syskind $syskind"
  check "$folder: shipped without debug sections" no_debug_sections "$("$tools-objdump" -h "$dll")"
done <<<"$dlls"

# --- the folder and the zip -----------------------------------------------------------
expected_files="$name/
$name/README.txt
$name/SHA256SUMS
$name/docs/
$name/docs/README.md
$name/docs/installing-on-iis.md
$name/docs/reference.md
$name/docs/security.md
$name/docs/text-conversion.md
$name/docs/troubleshooting.md
$name/examples/
$name/examples/bodies/
$name/examples/bodies/hello.body
$name/examples/default.asp
$name/examples/hello.vbs
$name/examples/includes/
$name/examples/includes/footer.asp
$name/examples/includes/functions.asp
$name/examples/includes/header.asp
$name/examples/overwrite-modes.asp
$name/examples/style.css
$name/examples/upload-form.asp
$name/examples/upload-result.asp
$name/examples/uploads/
$name/file-version.vbs
$name/install.cmd
$name/uninstall.cmd
$name/x64/
$name/x64/Kestrune.dll
$name/x86/
$name/x86/Kestrune.dll"
check "the zip holds exactly the package's files, in order" same "$expected_files" \
  "$(unzip -Z1 "dist/$name.zip" 2>&1)"

scratch=build/dist-test
rm -rf "$scratch"
mkdir -p "$scratch/unzipped"
unzip -q "dist/$name.zip" -d "$scratch/unzipped"
check "the zip unpacks to the same bytes as dist/$name/" diff -r "$package" "$scratch/unzipped/$name"

# Every file but SHA256SUMS itself is listed, and each sum matches.
sums_cover_package() {
  same "$(cd "$package" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort)" \
    "$(tr -d '\r' <"$package/SHA256SUMS" | sed 's/^[0-9a-f]\{64\}  //')" &&
    (cd "$package" && sha256sum --quiet -c SHA256SUMS >&2)
}
check "the package's SHA256SUMS lists every other file, and each sum matches" sums_cover_package
zip_sum_matches() {
  same "$(printf '%s\n' "$name.zip" "$name-x64.msi" "$name-x86.msi")" \
    "$(tr -d '\r' <dist/SHA256SUMS | sed 's/^[0-9a-f]\{64\}  //')" &&
    (cd dist && sha256sum --quiet -c SHA256SUMS >&2)
}
check "dist/SHA256SUMS holds the zip's and the MSIs' sums, which match" zip_sum_matches

one_time_no_extras() {
  local times extras
  times=$(zipinfo -T "dist/$name.zip" | awk '$7 ~ /^[0-9]{8}\.[0-9]{6}$/ { print $7 }' | sort -u)
  extras=$(zipinfo -v "dist/$name.zip" | sed -n 's/^ *length of extra field: *\([0-9]*\).*/\1/p' | sort -u)
  same "1" "$(wc -l <<<"$times" | tr -d ' ')" && same "0" "$extras"
}
check "every zip entry has the same time and no extra fields (reproducible)" one_time_no_extras

crlf_only() {  # crlf_only FILE...: every line ends with CR LF
  local file ok=0
  for file in "$@"; do
    if grep -qv $'\r$' "$file"; then echo "    LF-only lines in $file" >&2; ok=1; fi
  done
  return $ok
}
check "install.cmd, uninstall.cmd, file-version.vbs, README.txt, SHA256SUMS and the docs have CRLF line ends" \
  crlf_only "$package/install.cmd" "$package/uninstall.cmd" "$package/file-version.vbs" \
  "$package/README.txt" "$package/SHA256SUMS" "$package"/docs/*.md

links_stay_inside() {  # every relative link in the shipped docs names a shipped page
  local doc target ok=0
  for doc in "$package"/docs/*.md; do
    while read -r target; do
      [ -f "$package/docs/${target%%#*}" ] && continue
      echo "    $(basename "$doc") links to $target" >&2
      ok=1
    done < <(grep -oE '\]\([^)#:]+(#[^)]*)?\)' "$doc" | sed -E 's/^\]\((.*)\)$/\1/')
  done
  return $ok
}
check "the shipped docs link only to shipped pages" links_stay_inside

# --- reproducible, and signed when asked ----------------------------------------------
source "$here/signing_checks.sh"

# --- install.cmd and uninstall.cmd under Wine -----------------------------------------
source "$here/wine_install_checks.sh"

# --- the MSIs under Wine's msiexec -----------------------------------------------------
source "$here/msi_checks.sh"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
