# VBScript pages run in kestrune-host.exe under Wine against the real component: the
# scenarios of tests/wine/scenarios and the browser bodies of the shared corpus.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
source "$KESTRUNE_ROOT/scripts/pagehost.sh"
cd "$KESTRUNE_ROOT"

# Wine takes the ANSI code page from the locale's name, but names files through the C
# library's locale, which must exist for non-ASCII file names to work.
ensure_packages locales
locale -a 2>/dev/null | grep -qx 'ja_JP.utf8' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8

# The native parser, whose answers the corpus pages must match.
ensure_native_tools
native=build/native-release
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j "$(nproc)" --target kestrune-parse >/dev/null
export KESTRUNE_PARSE=$KESTRUNE_ROOT/$native/tools/kestrune-parse

record_build 30-wine-scripts "$(windows_run_build)"
wine_env
host=$(prepare_pagehost)
start_wineserver
log=$(mktemp)
status=0
results=$KESTRUNE_ROOT/build/results/30-wine-scripts.cases
rm -f "$results"
# Into a file, not a pipe: Wine's service processes inherit the output and would hold
# a pipe open until the wineserver stops.
KESTRUNE_RESULTS=$results bash tests/wine/run_scenarios.sh "$host" > "$log" 2>&1 || status=$?
stop_wineserver
cat "$log"
rm -f "$log"
counts=$(result_counts cases "$results")
record_counts 30-wine-scripts $counts
echo "wine scripts: ${counts% *} passed, ${counts#* } failed"
[ "$status" -eq 0 ] && [ "${counts#* }" -eq 0 ]
