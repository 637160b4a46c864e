# usage: test                       build everything and run every test suite
# Runs each suite in scripts/suites/ in name order, goes on past a failing suite, and
# ends with one line that adds up the tests of every suite, followed by the Windows build
# each Wine suite ran.
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
cd "$KESTRUNE_ROOT"

rm -rf build/results
failed_suites=()
for suite in scripts/suites/*.sh; do
  name=$(basename "$suite" .sh)
  echo "=== suite $name"
  started=$SECONDS
  if ! bash "$suite"; then
    failed_suites+=("$name")
    [ -f "build/results/$name.counts" ] || record_counts "$name" 0 1
  fi
  echo "=== suite $name took $((SECONDS - started)) s"
done

passed=0
failed=0
for counts in build/results/*.counts; do
  [ -f "$counts" ] || continue
  read -r p f < "$counts"
  passed=$((passed + p))
  failed=$((failed + f))
done
[ ${#failed_suites[@]} -eq 0 ] || echo "failing suites: ${failed_suites[*]}"
echo "Total: $passed passed, $failed failed"
# Suites that ran the same build share a line.
declare -A suites_of=()
builds=()
for build in build/results/*.build; do
  [ -f "$build" ] || continue
  what=$(cat "$build")
  [ -n "${suites_of[$what]+x}" ] || builds+=("$what")
  suites_of[$what]+="${suites_of[$what]:+, }$(basename "$build" .build)"
done
for what in "${builds[@]}"; do echo "Under Wine, ${suites_of[$what]} ran $what"; done
[ "$failed" -eq 0 ] && [ ${#failed_suites[@]} -eq 0 ]
