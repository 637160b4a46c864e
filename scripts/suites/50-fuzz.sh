# Fuzzing: each target 60 seconds under ASan and UBSan; one test per target, passed when
# its run found nothing.
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
cd "$KESTRUNE_ROOT"

bash scripts/commands/fuzz.sh 60
status=$?
passed=0
failed=0
for target in parse intake; do
  read -r outcome _ < "build/fuzz/results/$target" 2>/dev/null || outcome=failed
  if [ "$outcome" = passed ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
record_counts 50-fuzz "$passed" "$failed"
exit "$status"
