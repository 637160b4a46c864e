# The portable core on Linux: unit tests under AddressSanitizer and UBSan.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
ensure_native_tools
cd "$KESTRUNE_ROOT"

build=build/native-asan
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
junit=$KESTRUNE_ROOT/build/results/10-native.junit.xml
mkdir -p "$(dirname "$junit")"
rm -f "$junit"
status=0
ctest --test-dir "$build" --output-on-failure --output-junit "$junit" -j "$(nproc)" || status=$?
counts=$(result_counts junit "$junit")
record_counts 10-native $counts
echo "native: ${counts% *} passed, ${counts#* } failed"
[ "$status" -eq 0 ] && [ "${counts#* }" -eq 0 ]
