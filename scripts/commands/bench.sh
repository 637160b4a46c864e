# usage: bench                      build in release mode and print the performance table
# Timings are the median of five repetitions, memory figures the middle of three runs and
# end-to-end figures the median of three rounds; every ratio compares figures measured in
# this same run, so the table holds on any machine. Takes a few minutes, and up to 5 GiB
# of disk in build/bench for a while (the large bodies are removed once measured).
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/bench/page_server.sh"
source "$KESTRUNE_ROOT/bench/end_to_end.sh"
source "$KESTRUNE_ROOT/bench/wine_memory.sh"
source "$KESTRUNE_ROOT/bench/page_host_uploads.sh"
source "$KESTRUNE_ROOT/bench/hash_figure.sh"
ensure_native_tools
ensure_packages libbenchmark-dev cmake g++ gawk openssl
cd "$KESTRUNE_ROOT"

build=build/bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target kestrune-bench kestrune-bench-memory kestrune-bench-floor \
    kestrune-bench-hash >/dev/null

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

# A body-file threshold above any body: the component keeps every body in memory.
bench_memory_road_threshold=4294967296

# native_memory_figure NAME ARGUMENTS...: three fresh processes of the memory probe, the
# middle one of the three rises.
native_memory_figure() {
    local log=$build/memory-$1.log
    shift
    if (for _ in 1 2 3; do "$build/bench/kestrune-bench-memory" "$@" || exit 1; done) > "$log"; then
        awk -F'[= ]' '{ print $6 - $4, $0 }' "$log" | sort -n | sed -n '2s/^[^ ]* //p'
    else
        echo "failed: see $log"
    fi
}

echo "bench: hashing 100 MiB natively and with openssl..." >&2
hash=$(hash_figure)

echo "bench: measuring peak memory..." >&2
memory=$(native_memory_figure 100MiB 100 --memory-road)
big_memory=$(native_memory_figure 1GiB 1024)

# One 64 MiB text in each place a long text can stand, natively and under Wine: SHAPE
# FIGURES lines joined by "|".
shapes=
for shape in first-line header-line short-lines one-line file-name field-name; do
    shapes+="native $shape $(native_memory_figure "shape-$shape" 64 --shape "$shape")|"
done

echo "bench: measuring peak memory and creation under Wine..." >&2
for shape in first-line header-line short-lines one-line file-name field-name; do
    shapes+="wine $shape $(wine_shape_figure "$shape" 64)|"
done
wine_memory=$(wine_memory_figure 100 "KESTRUNE_TEST_BODY_FILE_THRESHOLD=$bench_memory_road_threshold") ||
    wine_memory="failed: see build/bench/wine-memory/"
wine_big_memory=$(wine_memory_figure 1024) || wine_big_memory="failed: see build/bench/wine-memory/"
wine_create=$(wine_creation_figure 100) || wine_create="failed: see build/bench/wine-memory/"
wine_read_bytes=$(wine_read_bytes_figure 1024) || wine_read_bytes="failed: see build/bench/wine-memory/"
wine_hash=$(wine_hash_figure 100) || wine_hash="failed: see build/bench/wine-memory/"

echo "bench: measuring the end-to-end upload..." >&2
e2e=$(end_to_end_figure) || e2e="failed: see build/bench/e2e/"

echo "bench: measuring 16 uploads at once and one of 1.5 GiB..." >&2
concurrent=$(concurrent_uploads_figure) || concurrent="failed: see build/bench/uploads/"
large=$(large_upload_figure) || large="failed: see build/bench/uploads/"

gawk -v machine="$(machine_line)" -v memory="$memory" -v wineMemory="$wine_memory" \
    -v bigMemory="$big_memory" -v wineBigMemory="$wine_big_memory" -v wineCreate="$wine_create" \
    -v e2e="$e2e" -v concurrent="$concurrent" -v large="$large" -v shapes="$shapes" -v hash="$hash" \
    -v wineHash="$wine_hash" -v wineReadBytes="$wine_read_bytes" \
    -f bench/format_table.awk "$build/results.json"
