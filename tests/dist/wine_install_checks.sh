# install.cmd and uninstall.cmd run by Wine's cmd, the way an administrator runs them
# (from their folder), from a copy of the package in a folder whose name has a blank and
# parentheses, in a fresh 64-bit prefix made for this test and removed after it.
# Sourced by package_test.sh, whose check/same/contains it uses.
#
# Where Wine cannot run 32-bit programs (windows_run_arch), the prefix has no 32-bit
# regsvr32: the scripts must then register the 64-bit build, report the 32-bit one as
# failed, and exit with 2. Elsewhere both builds must register and the exit code be 0.

wine_env
export WINEPREFIX=$KESTRUNE_ROOT/build/wineprefix-dist
stop_dist_prefix() { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; rm -rf "$WINEPREFIX"; }
trap stop_dist_prefix EXIT
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -p >/dev/null 2>&1  # one server for every command below
for exe in $KESTRUNE_NT4_EXES; do  # the page host's object context, as ensure_wine_prefix sets it
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d nt40 /f >/dev/null 2>&1
done

folder="$KESTRUNE_ROOT/$scratch/Kestrune (test copy)"
cp -r "$package" "$folder"

# run_cmd FOLDER SCRIPT [ARG...]: sets status, out and err (without CRs). Always the 64-bit
# cmd, which Debian's wine script would not pick where 32-bit programs run. Every script
# prints something; under heavy load Wine has been seen to end a run before it printed
# anything at all: such a run is tried once more, in plain sight.
run_cmd() {
  local attempt
  for attempt in 1 2; do
    status=0
    (cd "$1" && /usr/lib/wine/wine64 cmd /c "$2" "${@:3}" >"$KESTRUNE_ROOT/$scratch/cmd.out" 2>"$KESTRUNE_ROOT/$scratch/cmd.err" </dev/null) ||
      status=$?
    out=$(tr -d '\r' <"$scratch/cmd.out")
    err=$(tr -d '\r' <"$scratch/cmd.err")
    [ -z "$out" ] && [ -z "$err" ] && [ "$attempt" = 1 ] || return 0
    echo "NOTE: $2 ${*:3} printed nothing (exit code $status): tried once more"
  done
}
# reg_data KEY VALUE VIEW: the data of a value ("" for the default one), empty when absent.
reg_data() {
  local select=(/v "$2")
  [ -n "$2" ] || select=(/ve)
  wine reg query "$1" "${select[@]}" "/reg:$3" 2>/dev/null | tr -d '\r' |
    sed -nE 's/^ +([^ ].*[^ ]|\(Default\)) +REG_[A-Z_]+ +(.*)$/\2/p'
}
inproc_unix_path() {  # inproc_unix_path VIEW: the registered DLL as a Unix path, if any
  local data
  data=$(reg_data "HKLM\\Software\\Classes\\CLSID\\{$clsid}\\InprocServer32" "" "$1")
  [ -z "$data" ] || winepath -u "$data" 2>/dev/null
}
key_absent() { ! wine reg query "$1" "/reg:$2" >/dev/null 2>&1; }
nothing_registered() {
  local id progid
  for id in "$clsid" "$upload_clsid"; do
    key_absent "HKLM\\Software\\Classes\\CLSID\\{$id}" 64 && key_absent "HKLM\\Software\\Classes\\CLSID\\{$id}" 32 ||
      return 1
  done
  for progid in Kestrune.Tessock Kestrune.Upload; do
    key_absent "HKCR\\$progid" 64 && key_absent "HKCR\\$progid" 32 || return 1
  done
}
all_gone() { nothing_registered && key_absent "HKLM\\Software\\Classes\\TypeLib\\{$libid}" 64; }
missing_reported() { same 2 "$status" && contains "$out" "$1"; }
refused_install() {
  same 1 "$status" && same "" "$out" && contains "$err" \
    'install.cmd needs administrator rights. Nothing was registered.' && all_gone
}
output_is() {  # output_is STATUS LINE...: the exit code, and stdout exactly these lines
  local expected_status=$1
  shift
  same "$expected_status" "$status" && same "$(printf '%s\n' "$@")" "$out"
}

win=$(winepath -w "$folder")
moved="$folder moved"
win_moved=$(winepath -w "$(dirname "$folder")")\\$(basename "$moved")
registered64() { echo "Registered 64-bit Kestrune.dll $version from $1\\x64 for 64-bit application pools."; }
# checked_view BITS DLL STATE: the line install.cmd /check prints for a registered view.
checked_view() { echo "$1-bit view: Kestrune.Tessock is $2 ($3)"; }
unchecked_view() { echo "$1-bit view: Kestrune.Tessock is not registered."; }
check_bad="Not every registry view names an existing Kestrune.dll $version: run install.cmd."
check_good="Every registry view names an existing Kestrune.dll $version."
if wine_runs_32bit; then
  expected_status=0
  check_status=0
  check_end=$check_good
  checked32() { checked_view 32 "$@"; }
  registered32() { echo "Registered 32-bit Kestrune.dll $version from $1\\x86 for application pools with Enable 32-Bit Applications."; }
  install_end="Kestrune.Tessock is ready for every application pool, 64-bit or 32-bit."
  unregistered32() { echo "Unregistered 32-bit Kestrune.dll from $1\\x86."; }
  uninstall_end="Kestrune.Tessock is no longer registered. Run iisreset before deleting this folder."
else
  expected_status=2
  check_status=1
  check_end=$check_bad
  checked32() { unchecked_view 32; }
  no_wow64='C:\windows\SysWOW64\regsvr32.exe does not exist, so this Windows cannot run 32-bit programs.'
  registered32() { echo "FAILED to register 32-bit Kestrune.dll from $1\\x86: $no_wow64"; }
  install_end="Only 64-bit application pools can create Kestrune.Tessock now."
  unregistered32() { echo "FAILED to unregister 32-bit Kestrune.dll from $1\\x86: $no_wow64"; }
  uninstall_end="Some of Kestrune's registration is still in place: see above."
fi

# --- asking for help or checking changes nothing ----------------------------------------
# The scripts once took every argument for a plain run: /? registered or unregistered.
usage_of() { if [ "$1" = install.cmd ]; then echo "Usage: install.cmd [/check]"; else echo "Usage: uninstall.cmd"; fi; }
changes_of() { if [ "$1" = install.cmd ]; then echo registered; else echo unregistered; fi; }
helped() {  # helped SCRIPT STATUS: the usage on stdout, that exit code, and nothing registered
  same "$2" "$status" && same "$(usage_of "$1")" "$(head -n 1 <<<"$out")" && all_gone
}
for script in install.cmd uninstall.cmd; do
  for switch in /? -h --help; do
    run_cmd "$folder" "$script" "$switch"
    check "$script $switch: usage, exit code 0, nothing registered" helped "$script" 0
  done
  run_cmd "$folder" "$script" /bogus
  check "$script /bogus: usage, exit code 2, nothing registered" helped "$script" 2
  check "$script /bogus: names the switch" \
    same "$script: unknown switch /bogus. Nothing was $(changes_of "$script")." "$err"
done
run_cmd "$folder" install.cmd /check
check "install.cmd /check before install: neither view registered, exit code 1" \
  output_is 1 "$(unchecked_view 64)" "$(unchecked_view 32)" "$check_bad"

run_cmd "$folder" install.cmd
check "install.cmd: the administrator check passes quietly" same "" "$err"
check "install.cmd: exit code $expected_status, one line per DLL" \
  output_is "$expected_status" "$(registered64 "$win")" "$(registered32 "$win")" "$install_end"
check "install.cmd: the 64-bit view's InprocServer32 is x64\\Kestrune.dll" \
  same "$folder/x64/Kestrune.dll" "$(inproc_unix_path 64)"
check "install.cmd: ThreadingModel Both" same Both \
  "$(reg_data "HKLM\\Software\\Classes\\CLSID\\{$clsid}\\InprocServer32" ThreadingModel 64)"
check "install.cmd: the ProgID names the class" same "{$clsid}" \
  "$(reg_data 'HKCR\Kestrune.Tessock\Clsid' "" 64)"
check "install.cmd: the second class's ProgID names it" same "{$upload_clsid}" \
  "$(reg_data 'HKCR\Kestrune.Upload\Clsid' "" 64)"
if wine_runs_32bit; then
  check "install.cmd: the 32-bit view's InprocServer32 is x86\\Kestrune.dll" \
    same "$folder/x86/Kestrune.dll" "$(inproc_unix_path 32)"
else
  check "install.cmd: nothing in the 32-bit view" same "" "$(inproc_unix_path 32)"
fi

# Registration writes the folder in its short 8.3 form, which /check shows as it is.
inproc_data() { reg_data "HKLM\\Software\\Classes\\CLSID\\{$clsid}\\InprocServer32" "" "$1"; }
short64=$(inproc_data 64)
short32=$(inproc_data 32)
beside="exists, file version $version, the copy beside install.cmd"
run_cmd "$folder" install.cmd /check
check "install.cmd /check after install: both views name the copy beside it" output_is "$check_status" \
  "$(checked_view 64 "$short64" "$beside")" "$(checked32 "$short32" "$beside")" "$check_end"
# A script of another version sees the same files as not its own.
sed 's/^set "version=[^"]*"/set "version=9.9.9.9"/' "$folder/install.cmd" > "$folder/install-9.cmd"
run_cmd "$folder" install-9.cmd /check
check "install.cmd /check of another version: the same files, exit code 1" output_is 1 \
  "$(checked_view 64 "$short64" "$beside")" "$(checked32 "$short32" "$beside")" \
  "Not every registry view names an existing Kestrune.dll 9.9.9.9: run install.cmd."
rm "$folder/install-9.cmd"
run_cmd "$folder" install.cmd
check "install.cmd again from the same folder: no warning" output_is "$expected_status" \
  "$(registered64 "$win")" "$(registered32 "$win")" "$install_end"
for switch in /? /bogus; do
  run_cmd "$folder" uninstall.cmd "$switch"
  check "uninstall.cmd $switch after install: the registration stays" \
    same "$folder/x64/Kestrune.dll" "$(inproc_unix_path 64)"
done

# After moving the folder, running install.cmd again is all it takes; it says what it
# replaced, and /check in between sees the registered files gone.
mv "$folder" "$moved"
gone="missing, not the copy beside install.cmd"
run_cmd "$moved" install.cmd /check
check "install.cmd /check after moving the folder: the registered files are missing, exit code 1" \
  output_is 1 "$(checked_view 64 "$short64" "$gone")" "$(checked32 "$short32" "$gone")" "$check_bad"
replaced=("WARNING: the 64-bit registration named $short64 (missing); it now names $win_moved\\x64\\Kestrune.dll."
  "$(registered64 "$win_moved")")
! wine_runs_32bit ||
  replaced+=("WARNING: the 32-bit registration named $short32 (missing); it now names $win_moved\\x86\\Kestrune.dll.")
run_cmd "$moved" install.cmd
check "install.cmd again after moving the folder: same outcome, each replaced registration named" \
  output_is "$expected_status" "${replaced[@]}" "$(registered32 "$win_moved")" "$install_end"
check "install.cmd again: InprocServer32 follows the folder" \
  same "$moved/x64/Kestrune.dll" "$(inproc_unix_path 64)"

# --- unregistering one build by hand keeps the other's ProgID ---------------------------
# On 64-bit Windows HKCR\Kestrune.Tessock is one key for both builds: only CLSID and a few
# other keys have a view per bitness. So regsvr32 /u of one build must leave the ProgID
# while the other build's class is still registered. Wine keeps a ProgID key per view, so
# here the checks look at the key the unregistered build would have removed, and a page of
# the other bitness creates the object by ProgID.
loader_of() { if [ "$1" = win32 ]; then echo /usr/lib/wine/wine; else echo /usr/lib/wine/wine64; fi; }
folder_of() { if [ "$1" = win32 ]; then echo x86; else echo x64; fi; }
regsvr32_of() {  # regsvr32_of ARCH [/u]: that build of the package, by the regsvr32 of its bitness
  "$(loader_of "$1")" regsvr32 /s ${2:-} "$win_moved\\$(folder_of "$1")\\Kestrune.dll" </dev/null >/dev/null 2>&1
}
view_of() { if [ "$1" = win32 ]; then echo 32; else echo 64; fi; }
progid_names_class() {
  same "{$clsid}" "$(reg_data 'HKCR\Kestrune.Tessock\Clsid' "" "$(view_of "$1")")" &&
    same "{$upload_clsid}" "$(reg_data 'HKCR\Kestrune.Upload\Clsid' "" "$(view_of "$1")")"
}
page_creates_by_progid() {  # page_creates_by_progid ARCH [EXAMPLES]: examples/hello.vbs and an Upload page in that build's page host
  local host examples=${2:-$moved/examples}
  host=$(build_windows "$1" kestrune-host mtxex 2>"$scratch/host-build.log")/pagehost/kestrune-host.exe ||
    { cat "$scratch/host-build.log" >&2; return 1; }
  # And a page of the second class, which reads the body only when asked.
  printf '%s\r\n' 'Set upload = Server.CreateObject("Kestrune.Upload")' \
    'Response.Write "Upload received " & upload.Received & ", then " & upload.FormVariableCount & " fields"' \
    > "$scratch/upload.vbs"
  local page_status=0
  "$(loader_of "$1")" "$host" "$(winepath -w "$examples/hello.vbs")" \
    --body "$(winepath -w "$examples/bodies/hello.body")" \
    </dev/null >"$scratch/page.out" 2>&1 &&
    "$(loader_of "$1")" "$host" "$(winepath -w "$scratch/upload.vbs")" \
      --body "$(winepath -w "$examples/bodies/hello.body")" \
      </dev/null >>"$scratch/page.out" 2>&1 || page_status=$?
  [ "$page_status" -eq 0 ] && grep -q '^Kestrune version ' "$scratch/page.out" &&
    grep -q '^Upload received False, then [1-9]' "$scratch/page.out" && return 0
  echo "    page exit code $page_status: $(head -c 300 "$scratch/page.out")" >&2
  return 1
}
unregister_one() {  # unregister_one GONE STAYS: regsvr32 /u of GONE, with STAYS registered
  regsvr32_of "$1" /u
  check "regsvr32 /u of $1 with $2 registered: $2's ProgID key stays" progid_names_class "$1"
  check "regsvr32 /u of $1 with $2 registered: a $2 page creates both classes by ProgID" \
    page_creates_by_progid "$2"
  regsvr32_of "$1"
}
if wine_runs_32bit; then
  unregister_one win64 win32
  unregister_one win32 win64
else
  echo "NOTE: this kernel runs no 32-bit programs, so no 32-bit regsvr32 or page runs here: the"
  echo "NOTE: 32-bit build's class key is written by hand (reg.exe /reg:32) and only the 64-bit"
  echo "NOTE: build is unregistered. The 32-bit side is checked where 32-bit programs run."
  wine reg add "HKLM\\Software\\Classes\\CLSID\\{$clsid}\\InprocServer32" /ve \
    /d "$win_moved\\x86\\Kestrune.dll" /reg:32 /f >/dev/null 2>&1
  regsvr32_of win64 /u
  check "regsvr32 /u of win64 with the 32-bit class registered: the ProgID key stays" \
    progid_names_class win64
  check "regsvr32 /u of win64: its own class key is gone" same "" "$(inproc_unix_path 64)"
  wine reg delete "HKLM\\Software\\Classes\\CLSID\\{$clsid}" /reg:32 /f >/dev/null 2>&1
  regsvr32_of win64
  check "registered again: a win64 page creates both classes by ProgID" page_creates_by_progid win64
fi

# Without administrator rights (a failing fltmc in the folder, which cmd finds first)
# the scripts refuse and change nothing.
cp "$WINEPREFIX/drive_c/windows/system32/reg.exe" "$moved/fltmc.exe"
run_cmd "$moved" uninstall.cmd
check "uninstall.cmd without administrator rights: refuses with exit code 1" output_is 1
check "uninstall.cmd without administrator rights: says so" same \
  "$(printf '%s\n' 'uninstall.cmd needs administrator rights. Nothing was unregistered.' \
    'Open a command prompt with "Run as administrator" and run it again.')" "$err"
check "uninstall.cmd without administrator rights: the registration stays" \
  same "$moved/x64/Kestrune.dll" "$(inproc_unix_path 64)"
rm "$moved/fltmc.exe"

run_cmd "$moved" uninstall.cmd
check "uninstall.cmd: exit code $expected_status, one line per DLL" output_is "$expected_status" \
  "Unregistered 64-bit Kestrune.dll from $win_moved\\x64." "$(unregistered32 "$win_moved")" "$uninstall_end"
check "uninstall.cmd: class, ProgID and type library are gone" all_gone

cp "$WINEPREFIX/drive_c/windows/system32/reg.exe" "$moved/fltmc.exe"
run_cmd "$moved" install.cmd
check "install.cmd without administrator rights: exit code 1, nothing registered" refused_install
rm "$moved/fltmc.exe"

rm "$moved/x64/Kestrune.dll"
run_cmd "$moved" install.cmd
check "install.cmd with x64\\Kestrune.dll missing: says so, exit code 2" missing_reported \
  "FAILED to register 64-bit Kestrune.dll: $win_moved\\x64\\Kestrune.dll does not exist."
check "install.cmd with x64\\Kestrune.dll missing: nothing in the 64-bit view" \
  same "" "$(inproc_unix_path 64)"

stop_dist_prefix
trap - EXIT
rm -rf "$scratch"
