#!/usr/bin/env bash
# Runs the VBScript and JScript scenarios of scenarios/ through kestrune-host.exe under
# Wine and compares each with what it must give. Usage: run_scenarios.sh HOST_EXE [NAME...]
# (HOST_EXE is a Linux path; the Wine environment must be set up and the component
# registered, as scripts/suites/30-wine-scripts.sh does).
#
# A scenario is NAME.vbs or NAME.js with NAME.expected, its exact stdout, and
# optionally:
#   NAME.args    host arguments on one line; "--body FILE" names a file in scenarios/
#                (without it, NAME.body is the body when it exists)
#   NAME.status  the expected exit code (else 0)
#   NAME.stderr  the exact expected stderr (else stderr is not compared)
#   NAME.env     VAR=value lines set for the run (LC_ALL picks Wine's ANSI code page)
#   NAME.sha256, NAME.md5
#                the digests of files the page saved, as sha256sum and md5sum list them,
#                checked with their -c against the page's folder after the run
# Every scenario gets a fresh empty folder whose Windows path is in %SCENARIO_OUT%.
# With KESTRUNE_PARSE (the native kestrune-parse) set and no NAME given, the bodies of
# the shared corpus are compared too (compare_corpus.py); a missing corpus is a failure.
# With KESTRUNE_RESULTS set, each case's outcome also goes to that file, one a line
# (passed|failed TAB name TAB problem), for scripts/test_counts.py.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib.sh"

host=$1
shift
scenarios=$here/scenarios
out_root=$KESTRUNE_ROOT/build/scenario-out
rm -rf "$out_root"
mkdir -p "$out_root"
{ read -r win_scenarios; read -r win_out_root; } < <(winepath -w "$scenarios" "$out_root")

passed=0
failed=0

results=${KESTRUNE_RESULTS:-/dev/null}
: > "$results"
report() {  # report NAME PROBLEM...: one line per scenario
  local name=$1
  shift
  if [ $# -eq 0 ]; then
    echo "PASS $name"
    printf 'passed\t%s\t\n' "$name" >> "$results"
    passed=$((passed + 1))
  else
    echo "FAIL $name: $*"
    printf 'failed\t%s\t%s\n' "$name" "$*" >> "$results"
    failed=$((failed + 1))
  fi
}

host_arguments() {  # prints the host arguments of scenario $1, one per line
  local name=$1 words=() i
  if [ -f "$scenarios/$name.args" ]; then
    read -ra words < "$scenarios/$name.args"
  elif [ -f "$scenarios/$name.body" ]; then
    words=(--body "$name.body")
  fi
  for ((i = 0; i < ${#words[@]}; i++)); do
    if [ "${words[$i]}" = --body ]; then
      echo --body
      i=$((i + 1))
      echo "$win_scenarios\\${words[$i]}"
    else
      echo "${words[$i]}"
    fi
  done
}

script_of() { if [ -f "$scenarios/$1.js" ]; then echo "$1.js"; else echo "$1.vbs"; fi; }

run_scenario() {
  local name=$1 out=$out_root/$1 problems=() environment=() arguments=()
  mkdir -p "$out/files"
  [ -f "$scenarios/$name.env" ] && mapfile -t environment < "$scenarios/$name.env"
  mapfile -t arguments < <(host_arguments "$name")
  run_host() {
    env "${environment[@]}" SCENARIO_OUT="$win_out_root\\$name\\files" \
      wine "$host" "$win_scenarios\\$(script_of "$name")" "${arguments[@]}" \
      > "$out/stdout" 2> "$out/stderr" < /dev/null
  }
  run_host
  local status=$? expected_status=0
  # Under heavy load, Wine has been seen to end a run with code 1 before the host printed
  # anything at all: such a run is tried once more, in plain sight.
  if [ "$status" -eq 1 ] && [ ! -s "$out/stdout" ] && [ ! -s "$out/stderr" ]; then
    echo "NOTE $name: retried once: the host ended with code 1 and printed nothing"
    run_host
    status=$?
  fi
  [ -f "$scenarios/$name.status" ] && read -r expected_status < "$scenarios/$name.status"
  [ "$status" = "$expected_status" ] || problems+=("exit code $status, expected $expected_status")
  cmp -s "$out/stdout" "$scenarios/$name.expected" || problems+=("stdout differs")
  if [ -f "$scenarios/$name.stderr" ] && ! cmp -s "$out/stderr" "$scenarios/$name.stderr"; then
    problems+=("stderr differs")
  fi
  local digest
  for digest in sha256 md5; do
    if [ -f "$scenarios/$name.$digest" ] &&
      ! (cd "$out/files" && "${digest}sum" --quiet -c "$scenarios/$name.$digest" > /dev/null 2>&1); then
      problems+=("saved files differ from $name.$digest")
    fi
  done
  report "$name" "${problems[@]}"
  if [ ${#problems[@]} -gt 0 ]; then
    diff -u "$scenarios/$name.expected" "$out/stdout" | head -n 30 | sed 's/^/    /'
    [ -s "$out/stderr" ] && head -n 5 "$out/stderr" | sed 's/^/    stderr: /'
  fi
}

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  shopt -s nullglob
  for script in "$scenarios"/*.vbs "$scenarios"/*.js; do names+=("$(basename "${script%.*}")"); done
fi
for name in "${names[@]}"; do
  [ -f "$scenarios/$(script_of "$name")" ] || { report "$name" "no such scenario"; continue; }
  run_scenario "$name"
done

# The corpus goes through the native parser and the page alike, when a parser is given.
corpus=${KESTRUNE_CORPUS:-$KESTRUNE_ROOT/../shared/corpus}
if [ $# -eq 0 ] && [ -n "${KESTRUNE_PARSE:-}" ] && [ ! -d "$corpus" ]; then
  report corpus "the browser bodies are missing: $corpus is not a folder"
elif [ $# -eq 0 ] && [ -n "${KESTRUNE_PARSE:-}" ]; then
  bodies=0
  while read -r verdict name problem; do
    [ "$verdict" = NOTE ] && { echo "NOTE $name $problem"; continue; }
    bodies=$((bodies + 1))
    case $verdict in
      PASS) report "$name" ;;
      *) report "${name%:}" "${problem:-$verdict}" ;;
    esac
  done < <(python3 "$here/compare_corpus.py" "$host" "$KESTRUNE_PARSE" "$corpus" \
    "$out_root/corpus" 2>&1)
  [ "$bodies" -gt 0 ] || report corpus "no .body file in $corpus"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
