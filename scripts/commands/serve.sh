# usage: serve [--port N] [--root DIR] [--max-request-bytes N] [--report-resources]   serve ASP pages (default: examples/) at http://127.0.0.1:8080/
# Builds what is missing, registers the component in the project's Wine prefix, and
# runs kestrune-host.exe as a web server on 127.0.0.1 until it is stopped (Ctrl+C, or
# SIGTERM to this script: the Windows process is this very process).
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
source "$KESTRUNE_ROOT/scripts/pagehost.sh"

port=8080
root=$KESTRUNE_ROOT/examples
extra=()
while [ $# -gt 0 ]; do
  case $1 in
    --port | --root | --max-request-bytes)
      [ $# -ge 2 ] || { echo "serve: $1 needs a value" >&2; exit 2; }
      case $1 in
        --port) port=$2 ;;
        --root) root=$2 ;;
        *) extra+=("$1" "$2") ;;
      esac
      shift 2 ;;
    --report-resources) extra+=("$1"); shift ;;
    -h | --help) sed -n 's/^# usage: /usage: .\/run /p' "$0"; exit 0 ;;
    *) echo "serve: unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ -d "$root" ] || { echo "serve: no such folder: $root" >&2; exit 2; }
root=$(realpath -- "$root")
# Pages save uploads here; the examples expect the folder to exist.
[ "$root" != "$KESTRUNE_ROOT/examples" ] || mkdir -p "$root/uploads"

wine_env
host=$(prepare_pagehost)
windows_root=$(windows_path "$root")
exec wine "$host" serve --port "$port" --root "$windows_root" --root-label "$root" "${extra[@]}"
