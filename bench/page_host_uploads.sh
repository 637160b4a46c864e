# Large uploads through the page host (./run serve, the Windows build under Wine), each
# saved by a page and compared with what was sent. Sourced by scripts/commands/bench.sh
# after lib.sh and page_server.sh. The bodies are made in build/bench/uploads/ and
# removed again, with everything saved, whatever the outcome.
#
#   concurrent_uploads_figure: 16 uploads of 64 MiB sent at once; prints
#     "uploads=16 intact=N peak_bytes=N seconds=S"
#   large_upload_figure: one upload of 1.5 GiB; prints
#     "bytes=N intact=0|1 peak_bytes=N seconds=S"
# peak_bytes is the host process's VmHWM once the uploads are done (see page_server.sh);
# seconds is the wall-clock time from the first byte sent to the last answer. Either prints
# one line saying why there is no figure instead.

uploads_dir=$KESTRUNE_ROOT/build/bench/uploads

uploads_write_page() {
    mkdir -p "$uploads_dir/site"
    cat > "$uploads_dir/site/save.asp" <<'PAGE'
<%
Dim upload
Set upload = Server.CreateObject("Kestrune.Tessock")
upload.SaveFile Server.MapPath("received-" & CLng(Request.QueryString("n")) & ".bin")
Response.Write "saved " & upload.FileSize
%>
PAGE
}

uploads_clean() { rm -rf "$uploads_dir/sent" "$uploads_dir/site" "$uploads_dir"/answer.* "$uploads_dir"/code.*; }

# uploads_send COUNT SIZE: makes COUNT different files of SIZE bytes, sends them all at
# once to the save page and prints "intact=N peak_bytes=N seconds=S"; fails when the server
# does not start.
uploads_send() {
    local count=$1 size=$2 i start seconds intact=0 peak curls=()
    mkdir -p "$uploads_dir/sent"
    for i in $(seq "$count"); do
        # Each led by its own number, so that no two bodies are alike.
        { printf '%016d' "$i"; head -c "$((size - 16))" /dev/urandom; } > "$uploads_dir/sent/$i.bin"
    done
    uploads_write_page
    page_server_start "$uploads_dir/server.log" "$uploads_dir/site" || return 1
    start=$(date +%s.%N)
    for i in $(seq "$count"); do
        curl -sS -o "$uploads_dir/answer.$i" -w '%{http_code}' \
            -F "upload=@$uploads_dir/sent/$i.bin;type=application/octet-stream" \
            "$page_server_url/save.asp?n=$i" > "$uploads_dir/code.$i" 2>&1 &
        curls+=($!)
    done
    wait "${curls[@]}"
    seconds=$(awk -v start="$start" -v end="$(date +%s.%N)" 'BEGIN { printf "%.2f", end - start }')
    peak=$(page_server_peak_bytes "$page_server_pid")
    page_server_stop "$page_server_pid"
    for i in $(seq "$count"); do
        [ "$(cat "$uploads_dir/code.$i")" = 200 ] &&
            [ "$(cat "$uploads_dir/answer.$i")" = "saved $size" ] &&
            cmp -s "$uploads_dir/sent/$i.bin" "$uploads_dir/site/received-$i.bin" && intact=$((intact + 1))
    done
    echo "intact=$intact peak_bytes=${peak:-0} seconds=$seconds"
}

uploads_figure() {
    local count=$1 size=$2 result
    ensure_packages curl
    uploads_clean
    if ! result=$(uploads_send "$count" "$size"); then
        result="failed: the page server did not start (build/bench/uploads/server.log)"
    fi
    uploads_clean
    echo "$result"
}

concurrent_uploads_figure() {
    local result
    result=$(uploads_figure 16 $((64 * 1024 * 1024)))
    [[ $result == intact=* ]] && result="uploads=16 $result"
    echo "$result"
}

large_upload_figure() {
    local result
    result=$(uploads_figure 1 $((1536 * 1024 * 1024)))
    [[ $result == intact=* ]] && result="bytes=$((1536 * 1024 * 1024)) $result"
    echo "$result"
}
