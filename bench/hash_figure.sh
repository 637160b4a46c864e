# The hashing figure: the SHA-256 of 100 MiB of random bytes in a file, computed by
# kestrune-bench-hash (the component's reads through a body window, and the hashing
# seam's libcrypto) and by openssl dgst -sha256, one run of each, each as the CPU time
# (user and system) of its whole process, so other load on the machine skews it little.
# The file has just been written, so both read it from the page cache. Sourced by
# scripts/commands/bench.sh after lib.sh, once the benchmarks are built.
#
#   hash_figure: prints "NATIVE_SECONDS OPENSSL_SECONDS", or one line saying why there is
#     no figure (the digests must agree).

hash_dir=$KESTRUNE_ROOT/build/bench/hash
hash_bytes=$((100 * 1024 * 1024))

# hash_cpu_seconds COMMAND...: runs it with its output in $hash_dir/out; prints its user
# plus system seconds, or fails with it.
hash_cpu_seconds() {
    local TIMEFORMAT='%3U %3S' times
    times=$( { time "$@" > "$hash_dir/out" 2>/dev/null; } 2>&1) || return 1
    awk '{ printf "%.3f", $1 + $2 }' <<<"$times"
}

hash_figure() {
    ensure_packages openssl
    mkdir -p "$hash_dir"
    local file=$hash_dir/random.bin native openssl native_digest
    if ! head -c "$hash_bytes" /dev/urandom > "$file"; then
        echo "failed: cannot write $file"
        return 0
    fi
    if ! native=$(hash_cpu_seconds "$build/bench/kestrune-bench-hash" "$file"); then
        echo "failed: kestrune-bench-hash $file"
    elif native_digest=$(cut -d' ' -f1 "$hash_dir/out") && ! openssl=$(hash_cpu_seconds openssl dgst -sha256 -r "$file"); then
        echo "failed: openssl dgst -sha256 $file"
    elif [ "$native_digest" != "$(cut -d' ' -f1 "$hash_dir/out")" ]; then
        echo "failed: the digests differ ($native_digest, $(cut -d' ' -f1 "$hash_dir/out"))"
    else
        echo "$native $openssl"
    fi
    rm -f "$file"
}

# wine_hash_figure MIB: the same digest by the Windows build under Wine, for a single-file
# body of MIB MiB in a body file: the seconds the script measures around Hash (Wine's own
# CNG, so a figure to show, not a target), and openssl's CPU seconds on the file's bytes.
# Prints "WINE_SECONDS OPENSSL_SECONDS", or why there is none. Uses bench/wine_memory.sh.
wine_hash_figure() {
    local mebibytes=$1 size=$(($1 * 1024 * 1024)) header openssl digest
    wine_memory_prepare "$mebibytes" || return 0
    printf '%s\r\n' 'Dim upload, f, started, seconds, digest' \
        'Set upload = Server.CreateObject("Kestrune.Tessock")' \
        'For Each f In upload.Files' 'started = Timer' 'digest = f.Hash' 'seconds = Timer - started' 'Next' \
        'If seconds < 0 Then seconds = seconds + 86400' \
        'Response.Write upload.FileSize & " " & Replace(CStr(seconds), ",", ".") & " " & digest' \
        > "$wine_memory_dir/hash.vbs"
    if ! wine_memory_run hash hash.vbs --; then
        wine_memory_clean
        echo "failed: the host did not hash the file (build/bench/wine-memory/)"
        return 0
    fi
    # The file's bytes follow the part's header lines and the blank line after them.
    header=$(wine_memory_header | wc -c)
    mkdir -p "$hash_dir"
    tail -c +$((header + 1)) "$wine_memory_dir/body.bin" | head -c "$size" > "$hash_dir/wine.bin"
    wine_memory_clean
    openssl=$(hash_cpu_seconds openssl dgst -sha256 -r "$hash_dir/wine.bin") || {
        rm -f "$hash_dir/wine.bin"
        echo "failed: openssl dgst -sha256"
        return 0
    }
    rm -f "$hash_dir/wine.bin"
    digest=$(cut -d ' ' -f 1 "$hash_dir/out")
    if [ "$(cut -d ' ' -f 3 "$wine_memory_dir/out.hash" | tr -d '\r\n')" != "$digest" ]; then
        echo "failed: the digests differ (build/bench/wine-memory/out.hash, openssl $digest)"
    else
        echo "$(cut -d ' ' -f 2 "$wine_memory_dir/out.hash") $openssl"
    fi
}
