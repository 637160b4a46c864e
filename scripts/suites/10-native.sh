# The portable core on Linux: unit tests under AddressSanitizer and UBSan.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
ensure_native_tools
cd "$KESTRUNE_ROOT"

build=build/native-asan
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
log=$(mktemp)
status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" 2>&1 | tee "$log" || status=$?
summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
failed=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$summary")
record_counts 10-native "$((${total:-0} - ${failed:-0}))" "${failed:-1}"
rm -f "$log"
exit "$status"
