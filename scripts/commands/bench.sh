# usage: bench                      build in release mode and print the performance table
# Timings are the median of five repetitions, memory figures the middle of three runs and
# end-to-end figures the median of three rounds; every ratio compares figures measured in
# this same run, so the table holds on any machine. Takes a few minutes.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/bench/end_to_end.sh"
source "$KESTRUNE_ROOT/bench/wine_memory.sh"
ensure_native_tools
ensure_packages libbenchmark-dev cmake g++ gawk
cd "$KESTRUNE_ROOT"

build=build/bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target kestrune-bench kestrune-bench-memory kestrune-bench-floor >/dev/null

machine_line() {
    local cpu cores memory compiler
    cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
    cores=$(nproc)
    memory=$(awk '/^MemTotal:/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
    compiler=$("$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")" --version | head -n 1)
    echo "Machine: ${cpu:-unknown CPU}, $cores cores, $memory memory, $(uname -sr), $compiler"
}

echo "bench: running the in-process benchmarks (a few minutes)..." >&2
"$build/bench/kestrune-bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$build/results.json" --benchmark_out_format=json > "$build/console.log" 2>&1

# Peak memory: three fresh processes, the middle one of the three rises.
echo "bench: measuring peak memory..." >&2
memory="failed: see build/bench/memory.log"
if (for _ in 1 2 3; do "$build/bench/kestrune-bench-memory" 100 || exit 1; done) > "$build/memory.log"; then
    memory=$(awk -F'[= ]' '{ print $6 - $4, $0 }' "$build/memory.log" | sort -n | sed -n '2s/^[^ ]* //p')
fi

echo "bench: measuring peak memory under Wine..." >&2
wine_memory=$(wine_memory_figure) || wine_memory="failed: see build/bench/wine-memory/"

echo "bench: measuring the end-to-end upload..." >&2
e2e=$(end_to_end_figure) || e2e="failed: see build/bench/e2e/"

gawk -v machine="$(machine_line)" -v memory="$memory" -v wineMemory="$wine_memory" -v e2e="$e2e" \
    -f bench/format_table.awk "$build/results.json"
