# usage: soak [--uploads N] [--clients N] [--seed N]   upload through the page host at length, check every byte
# Serves tests/soak/site with ./run serve (the Windows build under Wine, on 127.0.0.1) and
# runs tests/soak/soak.py against it: by default 2,000 uploads from 16 clients at once,
# mixing small, 4 MiB - 1, 4 MiB + 1 and 64 MiB bodies, Unicode names, several files,
# clients killed midway and slow ones. Every stored file must match its SHA-256, nothing may
# be left in the temporary or saved folder, and the host's handles and memory must be flat
# from the 100th upload to the last. Takes a few minutes, so it is not part of ./run test;
# its figures are in docs/performance.md. The seed plans every upload: the same seed sends
# the same bodies in the same order.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"
source "$KESTRUNE_ROOT/scripts/windows.sh"
source "$KESTRUNE_ROOT/bench/page_server.sh"

options=()
while [ $# -gt 0 ]; do
  case $1 in
    --uploads | --clients | --seed)
      [[ ${2:-} =~ ^[0-9]+$ ]] || { echo "soak: $1 needs a number" >&2; exit 2; }
      options+=("$1" "$2")
      shift 2 ;;
    -h | --help) sed -n 's/^# usage: /usage: .\/run /p' "$0"; exit 0 ;;
    *) echo "soak: unknown argument: $1" >&2; exit 2 ;;
  esac
done

ensure_packages python3
work=$KESTRUNE_ROOT/build/soak
rm -rf "$work"
mkdir -p "$work/site/saved"
cp "$KESTRUNE_ROOT"/tests/soak/site/*.asp "$work/site/"
echo "soak: building and starting the page server ($(windows_run_arch) build)"
page_server_start "$work/server.log" "$work/site" -- --report-resources || {
  echo "soak: the page server did not start; its log:" >&2
  cat "$work/server.log" >&2
  exit 1
}
trap 'page_server_stop "$page_server_pid"' EXIT
wine_env  # for winepath, which the driver asks where the temporary folder is
status=0
python3 "$KESTRUNE_ROOT/tests/soak/soak.py" "$page_server_url" "$work/site" "$work/server.log" \
  "$(page_server_host_pid "$page_server_pid")" "${options[@]}" || status=$?
[ "$status" -eq 0 ] || echo "soak: the host's log is build/soak/server.log"
exit "$status"
