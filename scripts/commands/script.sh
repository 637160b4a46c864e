# usage: script FILE.vbs|FILE.js --body BODYFILE [--disconnect-after N] [--fail CALL:K] [--mta] [--report-memory]   run a VBScript or JScript page against the component
# Builds what is missing, registers the component in the project's Wine prefix, and runs
# the page in kestrune-host.exe. Stdout is exactly the page's output; the exit code is
# the host's (1 for an untrapped script error, reported on stderr).
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
source "$KESTRUNE_ROOT/scripts/pagehost.sh"

[ $# -gt 0 ] || { sed -n 's/^# usage: /usage: .\/run /p' "$0" >&2; exit 2; }

# Linux paths (relative to where ./run was started) become Windows paths; everything else
# goes through to the host as it is.
linux_paths=()
arguments=()
while [ $# -gt 0 ]; do
  case $1 in
    --body)
      [ $# -ge 2 ] || { echo "script: --body needs a file" >&2; exit 2; }
      arguments+=(--body "@${#linux_paths[@]}"); linux_paths+=("$2"); shift 2 ;;
    --disconnect-after | --fail)
      [ $# -ge 2 ] || { echo "script: $1 needs a value" >&2; exit 2; }
      arguments+=("$1" "$2"); shift 2 ;;
    --*) arguments+=("$1"); shift ;;
    *) arguments+=("@${#linux_paths[@]}"); linux_paths+=("$1"); shift ;;
  esac
done
for path in "${linux_paths[@]}"; do
  [ -f "$path" ] || { echo "script: no such file: $path" >&2; exit 2; }
done

wine_env
host=$(prepare_pagehost)
mapfile -t windows_paths < <(windows_path "${linux_paths[@]}")
for i in "${!arguments[@]}"; do
  case ${arguments[$i]} in @[0-9]*) arguments[$i]=${windows_paths[${arguments[$i]#@}]} ;; esac
done
exec wine "$host" "${arguments[@]}"
