# The end-to-end figure: a 200 MB upload sent by curl over loopback to a page that
# creates the object and saves the file, against the same upload to a page that only
# reads and discards the body, and to the save page of a second server whose component
# keeps every body in memory (the body-file threshold raised above any body). Prints
# "SAVE_SECONDS DISCARD_SECONDS FLOOR_SECONDS MEMORY_SAVE_SECONDS" (medians of three
# rounds each) on stdout, or one line saying why there is no figure.
# FLOOR is what kestrune-bench-floor measures natively after each round: filling 200 MB
# of new memory and writing them to a new file, the work a save page cannot avoid beyond
# receiving the body. Sourced by scripts/commands/bench.sh after lib.sh and
# page_server.sh, once the benchmarks are built.

e2e_dir=$KESTRUNE_ROOT/build/bench/e2e
e2e_bytes=200000000

e2e_write_pages() {
    mkdir -p "$e2e_dir/site"
    cat > "$e2e_dir/site/discard.asp" <<'PAGE'
<%
Dim remaining, count, data
remaining = Request.TotalBytes
Do While remaining > 0
  count = 102400
  If count > remaining Then count = remaining
  data = Request.BinaryRead(count)
  If count <= 0 Then Exit Do
  remaining = remaining - count
Loop
Response.Write "discarded"
%>
PAGE
    cat > "$e2e_dir/site/save.asp" <<'PAGE'
<%
Dim upload
Set upload = Server.CreateObject("Kestrune.Tessock")
upload.SaveFile Server.MapPath("received.bin")
Response.Write "saved " & upload.FileSize
%>
PAGE
}

# e2e_upload URL: prints the seconds one upload took; fails unless the page answered 200
# with what it is expected to print.
e2e_upload() {
    local result code seconds
    result=$(curl -sS -o "$e2e_dir/answer" -w '%{http_code} %{time_total}' \
        -F "upload=@$e2e_dir/upload.bin;type=application/octet-stream" "$1") || return 1
    read -r code seconds <<<"$result"
    [ "$code" = 200 ] || return 1
    grep -qE "^(discarded|saved $e2e_bytes)\$" "$e2e_dir/answer" || return 1
    echo "$seconds"
}

e2e_median() { sort -g | sed -n 2p; }

# e2e_save SERVER_URL: prints the seconds of one upload to the save page, once the saved
# file has been found equal to the one sent and removed.
e2e_save() {
    local seconds
    seconds=$(e2e_upload "$1/save.asp") || return 1
    cmp -s "$e2e_dir/upload.bin" "$e2e_dir/site/received.bin" || return 1
    rm -f "$e2e_dir/site/received.bin"
    echo "$seconds"
}

# e2e_floor: prints the seconds of filling and writing the body natively, summed.
e2e_floor() {
    local figures
    figures=$("$KESTRUNE_ROOT/build/bench/bench/kestrune-bench-floor" "$e2e_bytes" "$e2e_dir") || return 1
    awk -F'[= ]' '{ printf "%.3f\n", $2 + $4 }' <<<"$figures"
}

end_to_end_figure() {
    if [ ! -f "$KESTRUNE_ROOT/scripts/commands/serve.sh" ]; then
        echo "not available yet"
        return 0
    fi
    ensure_packages curl
    e2e_write_pages
    [ -f "$e2e_dir/upload.bin" ] && [ "$(stat -c %s "$e2e_dir/upload.bin")" -eq "$e2e_bytes" ] ||
        head -c "$e2e_bytes" /dev/urandom > "$e2e_dir/upload.bin"

    # Two servers over the same pages: one as shipped, one held to the in-memory road.
    local server memory_server url memory_url saves=() discards=() floors=() memory_saves=() seconds
    page_server_start "$e2e_dir/server.log" "$e2e_dir/site" || {
        echo "failed: the page server did not start (build/bench/e2e/server.log)"
        return 0
    }
    server=$page_server_pid url=$page_server_url
    page_server_start "$e2e_dir/memory-server.log" "$e2e_dir/site" \
        "KESTRUNE_TEST_BODY_FILE_THRESHOLD=$bench_memory_road_threshold" || {
        page_server_stop "$server"
        echo "failed: the page server did not start (build/bench/e2e/memory-server.log)"
        return 0
    }
    memory_server=$page_server_pid memory_url=$page_server_url
    for _ in 1 2 3; do
        seconds=$(e2e_upload "$url/discard.asp") || { discards=(); break; }
        discards+=("$seconds")
        seconds=$(e2e_save "$url") || { saves=(); break; }
        saves+=("$seconds")
        seconds=$(e2e_save "$memory_url") || { memory_saves=(); break; }
        memory_saves+=("$seconds")
        seconds=$(e2e_floor) || { floors=(); break; }
        floors+=("$seconds")
    done
    page_server_stop "$server"
    page_server_stop "$memory_server"
    if [ ${#saves[@]} -ne 3 ] || [ ${#discards[@]} -ne 3 ] || [ ${#floors[@]} -ne 3 ] ||
        [ ${#memory_saves[@]} -ne 3 ]; then
        echo "failed: an upload did not complete as expected (build/bench/e2e/)"
        return 0
    fi
    echo "$(printf '%s\n' "${saves[@]}" | e2e_median) $(printf '%s\n' "${discards[@]}" | e2e_median)" \
        "$(printf '%s\n' "${floors[@]}" | e2e_median) $(printf '%s\n' "${memory_saves[@]}" | e2e_median)"
}
