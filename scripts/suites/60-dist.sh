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
source "$KESTRUNE_ROOT/scripts/windows.sh"
if wine_runs_32bit; then
  record_build 60-dist "both builds (win32 and win64): this kernel runs 32-bit programs"
else
  record_build 60-dist "the 64-bit build (win64) only: this kernel runs no 32-bit programs"
fi
results=$KESTRUNE_ROOT/build/results/60-dist.cases
rm -f "$results"
KESTRUNE_RESULTS=$results bash tests/dist/package_test.sh > "$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
counts=$(result_counts cases "$results")
[ "$status" -eq 0 ] || [ "${counts#* }" -gt 0 ] || counts="${counts% *} 1"
record_counts 60-dist $counts
echo "dist: ${counts% *} passed, ${counts#* } failed"
[ "$status" -eq 0 ] && [ "${counts#* }" -eq 0 ]
