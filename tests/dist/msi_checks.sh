# The two MSIs installed and removed by Wine's msiexec, silently as Group Policy or a
# deployment tool runs them, in a fresh 64-bit prefix made for this test and removed
# after it. What each package writes in each registry view must be what regsvr32 writes
# for the same DLL at the same place; both ProgIDs must then create their objects in a
# page of each bitness the package carries; an older version, built here, must be
# replaced in place; and uninstalling must leave no file and no key. Sourced by
# package_test.sh after wine_install_checks.sh, whose helpers (key_absent, all_gone,
# page_creates_by_progid, loader_of) it uses.

export WINEPREFIX=$KESTRUNE_ROOT/build/wineprefix-msi
msi_scratch=build/msi-test
scratch=$msi_scratch  # page_creates_by_progid's own files
stop_msi_prefix() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$WINEPREFIX"; }
trap stop_msi_prefix EXIT
rm -rf "$WINEPREFIX" "$msi_scratch"
mkdir -p "$msi_scratch"
wineboot -i >/dev/null 2>&1
wineserver -p >/dev/null 2>&1
for exe in $KESTRUNE_NT4_EXES; do
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d nt40 /f >/dev/null 2>&1
done

interfaces=$(awk '/uuid\(/ { match($0, /uuid\([^)]*\)/); id = toupper(substr($0, RSTART + 5, RLENGTH - 6)) }
  $1 == "interface" && $3 == ":" { print id }' typelib/kestrune.idl)
program_files=$(winepath -u 'C:\Program Files')
program_files_x86=$(winepath -u 'C:\Program Files (x86)')
# msi_folder_of VIEW / msi_dll_of VIEW: where a package puts the DLL of that bitness.
msi_folder_of() { if [ "$1" = 32 ]; then echo 'C:\Program Files (x86)\Kestrune'; else echo 'C:\Program Files\Kestrune'; fi; }
msi_dll_of() { echo "$(msi_folder_of "$1")\\Kestrune.dll"; }
arch_of_view() { if [ "$1" = 32 ]; then echo win32; else echo win64; fi; }
# The x64 package's views, in the order regsvr32 registers them for the comparison: the
# library's values (HELPDIR) are the last build's, and the package writes the 64-bit one's.
views_of() { if [ "$1" = x86 ]; then echo 32; else echo "32 64"; fi; }

msiexec() {  # msiexec ARG...: the 64-bit msiexec, as a 64-bit Windows runs it; sets status
  status=0
  /usr/lib/wine/wine64 msiexec "$@" </dev/null >"$msi_scratch/msiexec.out" 2>&1 || status=$?
}
installed() { msiexec /i "$(winepath -w "$1")" /qn; same 0 "$status"; }
removed() { msiexec /x "$(winepath -w "$1")" /qn; same 0 "$status"; }

# class_entries VIEW: every key and value under the classes' keys, their ProgIDs, the type
# library and its interfaces, in that view, one line each (KEY, or KEY | NAME | TYPE |
# DATA), with a short 8.3 path written out long: regsvr32 writes the server key's path
# short when it holds a blank, Windows Installer long, and both name the same file. Wine's
# RegisterTypeLib also writes LIBFLAG_FHASDISKIMAGE (8) into FLAGS, which says only that
# the loaded library came from a file; the package writes 0 (not restricted, a control or
# hidden), so that bit is cleared here before comparing.
class_entries() {
  local key
  for key in "CLSID\\{$clsid}" "CLSID\\{$upload_clsid}" Kestrune.Tessock Kestrune.Upload "TypeLib\\{$libid}" \
    $(sed 's/.*/Interface\\{&}/' <<<"$interfaces"); do
    wine reg query "HKCR\\$key" /s "/reg:$1" 2>/dev/null | tr -d '\r'
  done | awk '/^HKEY/ { key = $0; print key; next }
    key ~ /\\FLAGS$/ && /^    \(Default\)    REG_SZ    8$/ { sub(/8$/, "0") }
    /^    / { sub(/^    /, ""); n = split($0, part, /    /); data = part[3]
      for (i = 4; i <= n; i++) data = data "    " part[i]; print key " | " part[1] " | " part[2] " | " data }' |
    while IFS= read -r line; do
      case $line in
        *"| REG_SZ | "*~*) echo "${line% | REG_SZ | *} | REG_SZ | $(winepath -w "$(winepath -u "${line##* | REG_SZ | }")")" ;;
        *) echo "$line" ;;
      esac
    done | LC_ALL=C sort
}
entries_of_view() {  # entries_of_view ARCH VIEW: what that MSI wrote there, saved for the comparisons
  class_entries "$2" > "$msi_scratch/msi-$1-$2.reg"
  [ -s "$msi_scratch/msi-$1-$2.reg" ]
}
msi_gone() {  # no class key, ProgID, type library or interface key in either view, no folder
  local view iid
  all_gone && key_absent "HKLM\\Software\\Classes\\TypeLib\\{$libid}" 32 || return 1
  for view in 64 32; do
    for iid in $interfaces; do key_absent "HKCR\\Interface\\{$iid}" "$view" || return 1; done
  done
  [ ! -e "$program_files/Kestrune" ] && [ ! -e "$program_files_x86/Kestrune" ] && return 0
  echo "    left: $(ls -d "$program_files/Kestrune" "$program_files_x86/Kestrune" 2>/dev/null)" >&2
  return 1
}
same_file() { cmp "$1" "$2" >&2; }

for arch in x86 x64; do
  msi=dist/$name-$arch.msi
  check "$arch.msi: msiexec /i /qn succeeds in a fresh prefix" installed "$msi"
  for view in $(views_of "$arch"); do
    folder=x86
    [ "$view" = 32 ] || folder=x64
    check "$arch.msi: the $view-bit DLL in $(msi_folder_of "$view")" \
      same_file "$package/$folder/Kestrune.dll" "$(winepath -u "$(msi_dll_of "$view")")"
    check "$arch.msi: writes the $view-bit view's class entries" entries_of_view "$arch" "$view"
    check "$arch.msi: a $(arch_of_view "$view") page creates both classes by ProgID" \
      page_creates_by_progid "$(arch_of_view "$view")" "$KESTRUNE_ROOT/$package/examples"
  done
  # HKCR\TypeLib is one key for both views.
  [ "$arch" = x64 ] || check "$arch.msi: nothing in the 64-bit view but the shared TypeLib key" \
    same "" "$(class_entries 64 | grep -v '^HKEY_CLASSES_ROOT\\TypeLib\\')"
  check "$arch.msi: msiexec /x /qn succeeds" removed "$msi"
  check "$arch.msi: uninstalled, no file, folder or key is left" msi_gone

  # The same DLLs at the same places, registered by the regsvr32 of their bitness.
  for view in $(views_of "$arch"); do
    folder=x86
    [ "$view" = 32 ] || folder=x64
    mkdir -p "$(winepath -u "$(msi_folder_of "$view")")"
    cp "$package/$folder/Kestrune.dll" "$(winepath -u "$(msi_dll_of "$view")")"
    "$(loader_of "$(arch_of_view "$view")")" regsvr32 /s "$(msi_dll_of "$view")" </dev/null >/dev/null 2>&1
  done
  for view in $(views_of "$arch"); do
    check "$arch.msi: the $view-bit view holds just what regsvr32 writes there" \
      same "$(class_entries "$view")" "$(cat "$msi_scratch/msi-$arch-$view.reg")"
  done
  # Removed by hand, not by regsvr32 /u, so that the next package starts from nothing.
  for view in $(views_of "$arch"); do
    for key in "CLSID\\{$clsid}" "CLSID\\{$upload_clsid}" Kestrune.Tessock Kestrune.Upload "TypeLib\\{$libid}" \
      $(sed 's/.*/Interface\\{&}/' <<<"$interfaces"); do
      wine reg delete "HKCR\\$key" /f "/reg:$view" >/dev/null 2>&1
    done
    rm -rf "$(winepath -u "$(msi_folder_of "$view")")"
  done
done

# --- a major upgrade, of each package ------------------------------------------------------
# An older version built now from the same DLLs with a byte added to each, so that the
# files on disk show which package put them there: their version records stay the same,
# and Windows Installer keeps a file of the same version unless the older product is
# removed before the newer one is installed. The x86 package has an UpgradeCode and a
# 32-bit folder of its own, so it is upgraded on its own too.
old_version=1.0.9.0
old_package=$msi_scratch/Kestrune-$old_version
mkdir -p "$old_package/x86" "$old_package/x64"
for folder in x86 x64; do
  { cat "$package/$folder/Kestrune.dll"; printf 'older'; } > "$old_package/$folder/Kestrune.dll"
done
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
# A 32-bit package is listed in the 32-bit view's Uninstall key, a 64-bit one in the
# 64-bit view's, and the Programs list shows both.
products() {  # products MSI...: the product codes of those packages that Windows lists as installed
  local msi code key
  for msi in "$@"; do
    code=$(product_code "$msi")
    key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code"
    key_absent "$key" 64 && key_absent "$key" 32 || echo "$code"
  done
}
for arch in x64 x86; do
  old_msi=$msi_scratch/Kestrune-$old_version-$arch.msi
  new_msi=dist/$name-$arch.msi
  bash packaging/build_msi.sh "$arch" "$old_version" "$old_package" "$old_msi" >&2
  check "upgrade $arch: the older package has its own ProductCode" \
    test "$(product_code "$old_msi")" != "$(product_code "$new_msi")"
  check "upgrade $arch: $old_version installs" installed "$old_msi"
  check "upgrade $arch: $old_version is listed as installed" \
    same "$(product_code "$old_msi")" "$(products "$old_msi" "$new_msi")"
  check "upgrade $arch: $version installs over it" installed "$new_msi"
  check "upgrade $arch: only $version is listed as installed" \
    same "$(product_code "$new_msi")" "$(products "$old_msi" "$new_msi")"
  for view in $(views_of "$arch"); do
    folder=x86
    [ "$view" = 32 ] || folder=x64
    check "upgrade $arch: the $view-bit DLL is $version's" \
      same_file "$package/$folder/Kestrune.dll" "$(winepath -u "$(msi_dll_of "$view")")"
    check "upgrade $arch: the $view-bit view holds $version's entries, none lost with $old_version" \
      same "$(cat "$msi_scratch/msi-$arch-$view.reg")" "$(class_entries "$view")"
  done
  # The x86 package's entries are the same as those its page created the objects from
  # above; a page after the x64 upgrade shows that one still creates them.
  [ "$arch" = x86 ] || check "upgrade $arch: a win64 page creates both classes by ProgID" \
    page_creates_by_progid win64 "$KESTRUNE_ROOT/$package/examples"
  check "upgrade $arch: msiexec /x /qn of $version succeeds" removed "$new_msi"
  check "upgrade $arch: no file, folder or key is left" msi_gone
  check "upgrade $arch: no product listed after uninstalling" same "" "$(products "$old_msi" "$new_msi")"
done

stop_msi_prefix
trap - EXIT
rm -rf "$msi_scratch"
