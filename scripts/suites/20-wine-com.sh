# The COM server under Wine: both cross builds, their binaries checked, the build that
# Wine runs here registered with regsvr32, and the C++ COM client suite run against it.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
cd "$KESTRUNE_ROOT"

ensure_windows_tools
passed=0
failed=0
check() {  # check LABEL COMMAND...: one counted check
  if "${@:2}"; then passed=$((passed + 1)); else echo "FAILED: $1" >&2; failed=$((failed + 1)); fi
}

# Only server/, host/win32/ and the Windows test and page-host programs see Windows.
portable_core_is_portable() {
  ! grep -rlE '#include *<(windows|ole2|oleauto|objbase|oaidl|winbase|winnt)\.h>' \
    base multipart upload members host/*.h
}
check "portable core includes no Windows header" portable_core_is_portable

run_arch=$(windows_run_arch)
for arch in win32 win64; do
  build_windows "$arch" >/dev/null
  check "$arch Kestrune.dll imports and exports" check_component_binary "$arch"
done

ensure_wine_prefix
start_wineserver
check "regsvr32 registers the $run_arch Kestrune.dll" register_component "$run_arch"
log=$(mktemp)
status=0
# Into a file, not a pipe: Wine's service processes would hold a pipe open.
wine "build/$run_arch/tests/wine/kestrune-com-tests.exe" > "$log" 2>&1 || status=$?
stop_wineserver
cat "$log"

gtest_passed=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$log" | tail -n 1)
gtest_failed=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n 1)
rm -f "$log"
if [ -z "$gtest_passed" ]; then
  echo "kestrune-com-tests.exe ended without a summary (exit $status)" >&2
  gtest_failed=${gtest_failed:-1}
fi
passed=$((passed + ${gtest_passed:-0}))
failed=$((failed + ${gtest_failed:-0}))
[ "$status" -eq 0 ] || [ "${gtest_failed:-0}" -gt 0 ] || failed=$((failed + 1))
record_counts 20-wine-com "$passed" "$failed"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
