# End to end: Chromium and curl upload through `./run serve` (tests/e2e, node --test).
# A page server or browser that cannot start fails every test that needs it, with why.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
cd "$KESTRUNE_ROOT"
# The page server runs under Wine.
record_build 40-e2e "$(windows_run_build)"

ensure_packages chromium curl
# Node may come from another source that bundles npm; only install Debian's when absent.
command -v node >/dev/null && command -v npm >/dev/null || ensure_packages nodejs npm

cd tests/e2e
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null
results=$KESTRUNE_ROOT/build/results/40-e2e.cases
mkdir -p "$(dirname "$results")"
rm -f "$results"
status=0
# One file at a time: each starts its own server, and the machine has two cores. The
# counts come from the reporter's file; the spec reporter is for people.
timeout 600 node --test --test-concurrency=1 \
  --test-reporter=spec --test-reporter-destination=stdout \
  --test-reporter=./lib/counts_reporter.js --test-reporter-destination="$results" || status=$?
[ "$status" -ne 124 ] || echo "FAILED: the browser tests did not finish within 600 s" >&2
counts=$(result_counts cases "$results")
[ "$status" -eq 0 ] || [ "${counts#* }" -gt 0 ] || counts="${counts% *} 1"
record_counts 40-e2e $counts
echo "e2e: ${counts% *} passed, ${counts#* } failed"
[ "$status" -eq 0 ] && [ "${counts#* }" -eq 0 ]
