# usage: fuzz [SECONDS]             run each fuzz target for SECONDS (default 300)
# usage: fuzz --com SECONDS         call the COM face under Wine for SECONDS, random seed
# Builds the libFuzzer targets with clang, ASan and UBSan in build/fuzz and runs each
# over its own corpus (build/fuzz/corpus/TARGET, seeded from tests/fuzz/seeds and the
# shared browser bodies). An input that breaks something is saved under
# build/fuzz/findings/TARGET and copied into tests/fuzz/regressions/TARGET, where the
# normal tests replay it from then on: commit it. Exits non-zero on any finding.
# Inputs are capped at 2048 bytes for intake (its 8-byte plan, then a body) and 1024 for
# the parser: every rule of the format shows in bodies that small (the browser bodies in
# the shared corpus are 2.5 KB at most, and every cut of one is a body too; the parse
# target holds lines to a few characters on some inputs, so its long-line roads need no
# long input), and larger ones only slow each execution; the replay tests still run the
# big seeds whole. AddressSanitizer keeps
# 16 MB of freed memory in quarantine instead of 256: still many executions' worth, so a
# use after free is caught, without paging in fresh memory for every allocation. Nor does
# it record where each block was allocated and freed, which costs a stack walk per
# allocation: a finding's report then lacks those two stacks, and replaying the finding
# (ctest replays every kept one under the full sanitizer) gives them.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

# The COM-face fuzzer (tests/wine/com_fuzz.cpp) in the Windows build that Wine runs here:
# one campaign of a random seed, printed first; a finding names its seed and call, and
# KESTRUNE_COM_FUZZ_SEED=SEED KESTRUNE_COM_FUZZ_CALLS=CALL+1 replays it.
fuzz_com() {
  local seconds=$1 arch exe log status=0 seed
  source "$KESTRUNE_ROOT/scripts/windows.sh"
  cd "$KESTRUNE_ROOT"
  ensure_windows_tools
  arch=$(windows_run_arch)
  mkdir -p build/fuzz/results
  if ! build_windows "$arch" >/dev/null 2>build/fuzz/results/com-build.log; then
    cat build/fuzz/results/com-build.log >&2
    return 1
  fi
  ensure_wine_prefix
  start_wineserver
  register_component "$arch" --if-changed
  seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
  echo "fuzz com: seed $seed, $seconds s"
  exe=build/$arch/tests/wine/kestrune-com-tests.exe
  log=build/fuzz/results/com.log
  # Into a file, not a pipe: Wine's service processes would hold a pipe open.
  LC_ALL=C.UTF-8 KESTRUNE_COM_FUZZ_SEED=$seed KESTRUNE_COM_FUZZ_SECONDS=$seconds \
    wine "$exe" --gtest_filter=ComFuzz.EveryMemberAnswersHostileCalls >"$log" 2>&1 || status=$?
  grep -h '^com fuzz' "$log" || tail -n 40 "$log"
  stop_wineserver
  [ "$status" -eq 0 ] || echo "fuzz com: FOUND something (exit $status); the whole output is in $log"
  return "$status"
}

if [ "${1:-}" = --com ]; then
  if ! [[ ${2:-} =~ ^[1-9][0-9]*$ ]]; then
    echo "fuzz: --com needs SECONDS, a whole number above 0" >&2
    exit 2
  fi
  fuzz_com "$2"
  exit
fi

seconds=${1:-300}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz: SECONDS must be a whole number above 0, not '$seconds'" >&2
  exit 2
fi
ensure_packages clang libclang-rt-14-dev cmake make libgtest-dev libgmock-dev
cd "$KESTRUNE_ROOT"

build=build/fuzz
rm -rf "$build/results"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRUNE_FUZZ=ON -DKESTRUNE_SANITIZE=ON >/dev/null
cmake --build "$build" -j 2 --target parse_fuzzer intake_fuzzer >/dev/null
mkdir -p "$build/results"

shared_corpus=$KESTRUNE_ROOT/../shared/corpus
if [ ! -d "$shared_corpus" ]; then
  echo "fuzz: the browser bodies are missing: $shared_corpus is not a folder" >&2
  exit 1
fi
status=0
declare -A max_len=([parse]=1024 [intake]=2048)
for target in parse intake; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  cp -n tests/fuzz/seeds/"$target"/* "$corpus"/
  find "$shared_corpus" -type f -name '*.body' -size +0 -exec cp -n {} "$corpus"/ \;
  log=$build/results/$target.log
  echo "fuzz $target: $seconds s"
  result=0
  ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=0} \
    "$build/tests/fuzz/${target}_fuzzer" "$corpus" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
    -rss_limit_mb=2048 -timeout=30 -print_final_stats=1 -artifact_prefix="$findings/" \
    >"$log" 2>&1 || result=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  echo "fuzz $target: ${runs:-0} executions (${rate:-0} a second), corpus of $(ls "$corpus" | wc -l) inputs"
  if [ "$result" -ne 0 ]; then
    status=1
    echo "fuzz $target: FOUND a failing input (exit $result); the run's end:"
    tail -n 40 "$log"
    mkdir -p tests/fuzz/regressions/"$target"
    for finding in "$findings"/*; do
      [ -f "$finding" ] || continue
      cp "$finding" tests/fuzz/regressions/"$target"/
      echo "fuzz $target: kept tests/fuzz/regressions/$target/$(basename "$finding")"
    done
    echo "failed ${runs:-0}" >"$build/results/$target"
  else
    echo "passed ${runs:-0}" >"$build/results/$target"
  fi
done
exit "$status"
