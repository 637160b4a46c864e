# The page server (./run serve) for the benchmarks that upload through the page host.
# Sourced by scripts/commands/bench.sh after lib.sh.

page_server_free_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 20000))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
    done
    return 1
}

# page_server_start LOG ROOT [NAME=VALUE...] [-- SERVE_OPTION...]: serves ROOT on a free
# loopback port, with the variables given in its environment and the options after -- on
# its command line, and waits until it listens. Sets
# page_server_pid (the leader of the server's own session, so that stopping it ends Wine's
# processes of it too) and page_server_url; fails, with the reason in LOG, when it does
# not start.
page_server_start() {
    local log=$1 root=$2 port variables=()
    shift 2
    while [ $# -gt 0 ] && [ "$1" != -- ]; do variables+=("$1"); shift; done
    [ $# -eq 0 ] || shift
    port=$(page_server_free_port) || { echo "no free loopback port" > "$log"; return 1; }
    env "${variables[@]}" setsid "$KESTRUNE_ROOT/run" serve --port "$port" --root "$root" "$@" > "$log" 2>&1 < /dev/null &
    page_server_pid=$!
    page_server_url=http://127.0.0.1:$port
    for _ in $(seq 900); do
        grep -q "Serving .* at $page_server_url/" "$log" && return 0
        kill -0 "$page_server_pid" 2>/dev/null || break
        sleep 1
    done
    page_server_stop "$page_server_pid"
    return 1
}

page_server_stop() {
    kill -- "-$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 0
}

# page_server_host_pid LEADER: the Linux process of kestrune-host.exe in that server's session.
page_server_host_pid() {
    ps -o pid=,args= -s "$1" | awk '/kestrune-host\.exe/ { print $1; exit }'
}

# page_server_peak_bytes LEADER: the host process's peak resident memory so far (VmHWM,
# the kernel's high-water mark, Wine and the script engine included).
page_server_peak_bytes() {
    local pid
    pid=$(page_server_host_pid "$1")
    [ -n "$pid" ] && awk '/^VmHWM:/ { print $2 * 1024 }' "/proc/$pid/status"
}
