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

wine_env
host=$(prepare_pagehost)
start_wineserver
log=$(mktemp)
status=0
# Into a file, not a pipe: Wine's service processes inherit the output and would hold
# a pipe open until the wineserver stops.
bash tests/wine/run_scenarios.sh "$host" > "$log" 2>&1 || status=$?
stop_wineserver
cat "$log"
summary=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -n 1)
rm -f "$log"
read -r passed _ failed _ <<<"${summary:-0 passed, 1 failed}"
record_counts 30-wine-scripts "$passed" "$failed"
exit "$status"
