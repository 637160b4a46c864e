# Figures of the Windows build under Wine, from kestrune-host.exe running a script against
# a body file (the host reads the file in the passes the component asks for, so it holds
# no copy of the body). Sourced by scripts/commands/bench.sh after lib.sh. The bodies are
# made in build/bench/wine-memory/ and removed once measured.
#
#   wine_memory_figure MIB [NAME=VALUE...]: the script only creates the object for a
#     single-file body of MIB MiB, with the variables given in the host's environment; the
#     host reports its working set right before the script and its peak working set after
#     it. Prints "body_bytes=N before_bytes=N peak_bytes=N" (the middle one of three runs by
#     rise).
#   wine_shape_figure SHAPE MIB: the same for a body of MIB MiB whose bulk is one long
#     text where SHAPE says (as kestrune-bench-memory --shape: first-line, header-line,
#     short-lines, one-line, file-name, field-name); the script reads FormVariableCount.
#   wine_read_bytes_figure MIB: the same peaks for a script that reads the whole file of a
#     MIB MiB body (in a body file) through ReadBytes, 1 MiB at a time.
#   wine_creation_figure MIB: the time the script measures around creating the object, for
#     a body of MIB MiB, as shipped and held to the in-memory road, five runs of each taken
#     in turns (wall-clock time, so other work on the machine shows). Prints
#     "FILE_SECONDS MEMORY_SECONDS" (medians).
# Either prints one line saying why there is no figure instead.

wine_memory_dir=$KESTRUNE_ROOT/build/bench/wine-memory
wine_memory_boundary=----WebKitFormBoundary7MA4YWxkTrZu0gW

# The single file part's lines before its bytes.
wine_memory_header() {
    printf -- '--%s\r\n' "$wine_memory_boundary"
    printf 'Content-Disposition: form-data; name="upload"; filename="random.bin"\r\n'
    printf 'Content-Type: application/octet-stream\r\n\r\n'
}

wine_memory_write_inputs() {
    local mebibytes=$1 body=$wine_memory_dir/body.bin
    mkdir -p "$wine_memory_dir"
    # Reading FileSize afterwards only proves that the object kept the file.
    printf '%s\r\n' 'Dim upload' 'Set upload = Server.CreateObject("Kestrune.Tessock")' \
        'Response.Write upload.FileSize' > "$wine_memory_dir/create.vbs"
    # Timer counts seconds since midnight, in steps of a millisecond or less here.
    printf '%s\r\n' 'Dim upload, started, seconds' 'started = Timer' \
        'Set upload = Server.CreateObject("Kestrune.Tessock")' 'seconds = Timer - started' \
        'If seconds < 0 Then seconds = seconds + 86400' \
        'Response.Write upload.FileSize & " " & Replace(CStr(seconds), ",", ".")' > "$wine_memory_dir/timed.vbs"
    [ -f "$body" ] && [ "$(stat -c %s "$body")" -gt $((mebibytes * 1024 * 1024)) ] &&
        [ "$(stat -c %s "$body")" -lt $((mebibytes * 1024 * 1024 + 4096)) ] && return 0
    {
        wine_memory_header
        head -c $((mebibytes * 1024 * 1024)) /dev/urandom
        printf -- '\r\n--%s--\r\n' "$wine_memory_boundary"
    } > "$body.part" && mv "$body.part" "$body"
}

# wine_memory_prepare MIB: builds the host and makes the inputs; sets wine_memory_host,
# wine_memory_script_dir and wine_memory_body (Windows paths), or prints why not and fails.
wine_memory_prepare() {
    source "$KESTRUNE_ROOT/scripts/windows.sh"
    source "$KESTRUNE_ROOT/scripts/pagehost.sh"
    mkdir -p "$wine_memory_dir"
    wine_memory_host=$(prepare_pagehost 2>"$wine_memory_dir.log") || {
        echo "failed: the page host did not build (build/bench/wine-memory.log)"
        return 1
    }
    wine_memory_write_inputs "$1"
    wine_env
    { read -r wine_memory_script_dir; read -r wine_memory_body; } < <(windows_path \
        "$wine_memory_dir" "$wine_memory_dir/body.bin")
}

wine_memory_clean() { rm -f "$wine_memory_dir/body.bin"; }

# wine_shape_write SHAPE MIB: the body of that shape into body.bin; fails for an unknown one.
wine_shape_write() {
    local bytes=$(($2 * 1024 * 1024)) part='--XyZ\r\nContent-Disposition: form-data; name="'
    bulk() { head -c "$bytes" /dev/zero | tr '\0' x; }
    {
        case $1 in
            first-line) printf -- '--'; bulk; printf '\r\nContent-Disposition: form-data; name="a"\r\n\r\nvalue\r\n' ;;
            header-line) printf -- "${part}a\"; "; bulk; printf '\r\n\r\nvalue\r\n--XyZ--\r\n' ;;
            short-lines) printf -- "${part}a\"\r\n\r\n"; yes $'a short line\r' | head -c "$bytes"; printf 'last\r\n--XyZ--\r\n' ;;
            one-line) printf -- "${part}a\"\r\n\r\n"; bulk; printf '\r\n--XyZ--\r\n' ;;
            file-name) printf -- "${part}f\"; filename=\""; bulk; printf '.txt"\r\nContent-Type: text/plain\r\n\r\nDATA\r\n--XyZ--\r\n' ;;
            field-name) printf -- "$part"; bulk; printf '"\r\n\r\nvalue\r\n--XyZ--\r\n' ;;
            *) return 1 ;;
        esac
    } > "$wine_memory_dir/body.bin"
}

wine_shape_figure() {
    wine_memory_prepare 1 || return 0
    printf '%s\r\n' 'Dim upload' 'Set upload = Server.CreateObject("Kestrune.Tessock")' \
        'Response.Write upload.FormVariableCount' > "$wine_memory_dir/shape.vbs"
    wine_shape_write "$1" "$2" || { echo "failed: no such shape: $1"; return 0; }
    wine_memory_peaks shape.vbs
}

# wine_memory_run NAME SCRIPT [NAME=VALUE...] -- HOST_ARGUMENTS...: one host run, its output
# in wine-memory/out.NAME and err.NAME; fails unless the script printed the file's size
# first (the size of MIB MiB, where the caller has mebibytes).
wine_memory_run() {
    local name=$1 script=$2 variables=()
    shift 2
    while [ "$1" != -- ]; do variables+=("$1"); shift; done
    shift
    # Through files: Wine's service processes would hold a pipe open.
    env "${variables[@]}" wine "$wine_memory_host" "$wine_memory_script_dir\\$script" \
        --body "$wine_memory_body" "$@" \
        > "$wine_memory_dir/out.$name" 2> "$wine_memory_dir/err.$name" < /dev/null &&
        { [ -z "${mebibytes:-}" ] || [ "$(cut -d ' ' -f 1 "$wine_memory_dir/out.$name")" = $((mebibytes * 1024 * 1024)) ]; }
}

wine_memory_figure() {
    local mebibytes=$1
    shift
    wine_memory_prepare "$mebibytes" || return 0
    wine_memory_peaks create.vbs "$@"
}

# wine_memory_peaks SCRIPT [NAME=VALUE...]: three runs of SCRIPT with the memory report;
# prints the middle one by rise, or why there is none. Removes the body.
wine_memory_peaks() {
    local script=$1 runs=() i report before peak pattern
    shift
    pattern='^peak working set: \([0-9]*\) bytes; before script: \([0-9]*\) .*'
    for i in 1 2 3; do
        if ! wine_memory_run "$i" "$script" "$@" -- --report-memory; then
            wine_memory_clean
            echo "failed: the host did not keep the file (build/bench/wine-memory/)"
            return 0
        fi
        report=$(grep '^peak working set: ' "$wine_memory_dir/err.$i") || {
            wine_memory_clean
            echo "failed: the host reported no memory figures (build/bench/wine-memory/)"
            return 0
        }
        peak=$(sed "s/$pattern/\\1/" <<<"$report")
        before=$(sed "s/$pattern/\\2/" <<<"$report")
        runs+=("$((peak - before)) body_bytes=$(stat -c %s "$wine_memory_dir/body.bin") before_bytes=$before peak_bytes=$peak")
    done
    wine_memory_clean
    printf '%s\n' "${runs[@]}" | sort -n | sed -n '2s/^[^ ]* //p'
}

wine_read_bytes_figure() {
    local mebibytes=$1
    wine_memory_prepare "$mebibytes" || return 0
    printf '%s\r\n' 'Dim upload, f, offset, chunk' 'Set upload = Server.CreateObject("Kestrune.Tessock")' \
        'Response.Write upload.FileSize' 'For Each f In upload.Files' \
        'For offset = 0 To f.FileSize - 1 Step 1048576' 'chunk = f.ReadBytes(offset, 1048576)' 'Next' 'Next' \
        > "$wine_memory_dir/read_bytes.vbs"
    wine_memory_peaks read_bytes.vbs
}

wine_creation_figure() {
    local mebibytes=$1 files=() memories=() i
    wine_memory_prepare "$mebibytes" || return 0
    for i in 1 2 3 4 5; do
        if ! wine_memory_run "file.$i" timed.vbs -- ||
            ! wine_memory_run "memory.$i" timed.vbs \
                "KESTRUNE_TEST_BODY_FILE_THRESHOLD=$bench_memory_road_threshold" --; then
            wine_memory_clean
            echo "failed: the host did not keep the file (build/bench/wine-memory/)"
            return 0
        fi
        files+=("$(cut -d ' ' -f 2 "$wine_memory_dir/out.file.$i")")
        memories+=("$(cut -d ' ' -f 2 "$wine_memory_dir/out.memory.$i")")
    done
    wine_memory_clean
    echo "$(printf '%s\n' "${files[@]}" | sort -g | sed -n 3p) $(printf '%s\n' "${memories[@]}" | sort -g | sed -n 3p)"
}
