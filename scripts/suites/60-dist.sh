# The release package: ./run dist, then tests/dist/package_test.sh on what it made (the
# DLLs' headers, exports, imports and resources, the zip, and install.cmd / uninstall.cmd
# under Wine in a prefix of their own).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
cd "$KESTRUNE_ROOT"

ensure_packages zip unzip python3
log=$(mktemp)
if ! bash scripts/commands/dist.sh > "$log" 2>&1; then
  cat "$log"
  rm -f "$log"
  echo "dist: ./run dist failed" >&2
  record_counts 60-dist 0 1
  exit 1
fi
bash tests/dist/package_test.sh > "$log" 2>&1
status=$?
cat "$log"
counts=$(sed -nE 's/^([0-9]+) passed, ([0-9]+) failed$/\1 \2/p' "$log" | tail -n 1)
rm -f "$log"
[ -n "$counts" ] || counts="0 1"
record_counts 60-dist $counts
exit "$status"
