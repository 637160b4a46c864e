# End to end: Chromium and curl upload through `./run serve` (tests/e2e, node --test).
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
cd "$KESTRUNE_ROOT"

if [ ! -f scripts/commands/serve.sh ]; then
  echo "e2e: skipped: the page server (./run serve) does not exist yet"
  record_counts 40-e2e 0 0
  exit 0
fi

ensure_packages chromium curl
# Node may come from another source that bundles npm; only install Debian's when absent.
command -v node >/dev/null && command -v npm >/dev/null || ensure_packages nodejs npm

cd tests/e2e
PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error >/dev/null
log=$(mktemp)
status=0
# One file at a time: each starts its own server, and the machine has two cores.
timeout 600 node --test --test-reporter=tap --test-concurrency=1 2>&1 | tee "$log" || status=$?
passed=$(sed -n 's/^# pass \([0-9]*\)$/\1/p' "$log" | tail -n 1)
failed=$(sed -n 's/^# fail \([0-9]*\)$/\1/p' "$log" | tail -n 1)
grep -E '^# (skipped|cancelled) ' "$log" || true
rm -f "$log"
record_counts 40-e2e "${passed:-0}" "${failed:-1}"
exit "$status"
