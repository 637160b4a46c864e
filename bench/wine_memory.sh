# The peak memory figure under Wine: kestrune-host.exe runs a script that only creates
# the object for a 100 MiB single-file body read from a file (the host reads the file in
# the passes the component asks for, so it holds no copy of the body), and reports its
# working set right before the script and its peak working set after it. Prints
# "body_bytes=N before_bytes=N peak_bytes=N" (the middle one of three runs by rise) on
# stdout, or one line saying why there is no figure. Sourced by scripts/commands/bench.sh
# after lib.sh.

wine_memory_dir=$KESTRUNE_ROOT/build/bench/wine-memory
wine_memory_boundary=----WebKitFormBoundary7MA4YWxkTrZu0gW

wine_memory_write_inputs() {
    mkdir -p "$wine_memory_dir"
    # Reading FileSize afterwards only proves that the object kept the file.
    printf '%s\r\n' 'Dim upload' 'Set upload = Server.CreateObject("Kestrune.Tessock")' \
        'Response.Write upload.FileSize' > "$wine_memory_dir/create.vbs"
    local body=$wine_memory_dir/body.bin
    [ -f "$body" ] && return 0
    {
        printf -- '--%s\r\n' "$wine_memory_boundary"
        printf 'Content-Disposition: form-data; name="upload"; filename="random.bin"\r\n'
        printf 'Content-Type: application/octet-stream\r\n\r\n'
        head -c $((100 * 1024 * 1024)) /dev/urandom
        printf -- '\r\n--%s--\r\n' "$wine_memory_boundary"
    } > "$body.part" && mv "$body.part" "$body"
}

wine_memory_figure() {
    local host
    source "$KESTRUNE_ROOT/scripts/windows.sh"
    source "$KESTRUNE_ROOT/scripts/pagehost.sh"
    mkdir -p "$wine_memory_dir"
    host=$(prepare_pagehost 2>"$wine_memory_dir.log") || {
        echo "failed: the page host did not build (build/bench/wine-memory.log)"
        return 0
    }
    wine_memory_write_inputs
    wine_env

    local script body runs=() i report before peak
    { read -r script; read -r body; } < <(windows_path \
        "$wine_memory_dir/create.vbs" "$wine_memory_dir/body.bin")
    for i in 1 2 3; do
        # Through files: Wine's service processes would hold a pipe open.
        if ! wine "$host" "$script" --body "$body" --report-memory \
            > "$wine_memory_dir/out.$i" 2> "$wine_memory_dir/err.$i" < /dev/null ||
            [ "$(cat "$wine_memory_dir/out.$i")" != $((100 * 1024 * 1024)) ]; then
            echo "failed: the host did not keep the file (build/bench/wine-memory/)"
            return 0
        fi
        report=$(grep '^peak working set: ' "$wine_memory_dir/err.$i") || {
            echo "failed: the host reported no memory figures (build/bench/wine-memory/)"
            return 0
        }
        peak=$(sed 's/^peak working set: \([0-9]*\) bytes; before script: \([0-9]*\) .*/\1/' <<<"$report")
        before=$(sed 's/^peak working set: \([0-9]*\) bytes; before script: \([0-9]*\) .*/\2/' <<<"$report")
        runs+=("$((peak - before)) body_bytes=$(stat -c %s "$wine_memory_dir/body.bin") before_bytes=$before peak_bytes=$peak")
    done
    printf '%s\n' "${runs[@]}" | sort -n | sed -n '2s/^[^ ]* //p'
}
