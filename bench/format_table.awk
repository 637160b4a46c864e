# Turns the benchmark results into the performance table (a Markdown table, so it can be
# pasted into docs/performance.md as it is).
#
# Input: the JSON file kestrune-bench writes with --benchmark_out (one key per line).
# Variables:
#   machine     the machine line
#   memory      "body_bytes=N baseline_kib=N peak_kib=N" from kestrune-bench-memory, or a
#               reason it is missing
#   wineMemory  "body_bytes=N before_bytes=N peak_bytes=N" from kestrune-host.exe
#               --report-memory under Wine, or a reason it is missing
#   bigMemory, wineBigMemory
#               the same two for a 1 GiB upload on the body-file road
#   wineCreate  "FILE_SECONDS MEMORY_SECONDS": creating the object for a 100 MiB body under
#               Wine, as shipped and on the in-memory road
#   e2e         "SAVE_SECONDS DISCARD_SECONDS FLOOR_SECONDS MEMORY_SAVE_SECONDS" for the
#               page-host upload
#   concurrent  "uploads=16 intact=N peak_bytes=N seconds=S" for uploads at once through the
#               page host
#   large       "bytes=N intact=0|1 peak_bytes=N seconds=S" for one 1.5 GiB upload through it
#   hash        "NATIVE_SECONDS OPENSSL_SECONDS": the SHA-256 of 100 MiB by the component's
#               reads and hashing seam, and by openssl dgst -sha256 (bench/hash_figure.sh)
#   wineHash    "WINE_SECONDS OPENSSL_SECONDS": Hash of a 100 MiB file under Wine (Wine's
#               CNG), against openssl's CPU seconds on the same bytes
#   wineReadBytes
#               as wineMemory, for a script reading a 1 GiB file through ReadBytes
# Each of the variables may instead hold the reason its figure is missing.
# Each figure is the median of the repetitions, in CPU time of the benchmarking thread
# (kernel time such as page faults included), so other load on the machine skews it
# little; ratios compare figures of the same run.

function value(line) {
    sub(/^[^:]*: */, "", line)
    sub(/,$/, "", line)
    gsub(/"/, "", line)
    return line
}

/^ *"name": / {
    name = value($0)
    median = sub(/_median$/, "", name)
    next
}
/^ *"error_message": / { failure[name] = value($0); next }
median && /^ *"cpu_time": / { cpuTime[name] = value($0) + 0; next }
median && /^ *"time_unit": / { timeUnit[name] = value($0); next }
median && /^ *"bytes_per_second": / { bytesPerSecond[name] = value($0) + 0; next }

function have(key) { return key in cpuTime }
function missing(key) { return key in failure ? "error: " failure[key] : "not measured" }
function gbps(key) { return bytesPerSecond[key] / 1e9 }
function ms(key) {
    if (timeUnit[key] == "ns") return cpuTime[key] / 1e6
    if (timeUnit[key] == "us") return cpuTime[key] / 1e3
    if (timeUnit[key] == "s") return cpuTime[key] * 1e3
    return cpuTime[key]
}
function num(x) { return sprintf(x >= 100 ? "%.0f" : x >= 10 ? "%.1f" : "%.2f", x) }
function yes(ok) { return ok ? "yes" : "NO" }

function row(figure, v, unit, baseline, ratio, target, met) {
    rows[++rowCount] = figure "\t" v "\t" unit "\t" baseline "\t" ratio "\t" target "\t" met
}
function gap(figure, reason) { row(figure, reason, "", "", "", "", "-") }

function baselineRow(figure, key) {
    if (have(key)) row(figure, num(gbps(key)), "GB/s", "-", "-", "-", "-")
    else gap(figure, missing(key))
}

# Throughput against a baseline measured in the same run; minRatio 0 means no target.
function ratioRow(figure, key, baseKey, baseName, minRatio,    ratio) {
    if (!have(key) || !have(baseKey)) { gap(figure, missing(have(key) ? baseKey : key)); return }
    ratio = gbps(key) / gbps(baseKey)
    row(figure, num(gbps(key)), "GB/s", num(gbps(baseKey)) " GB/s " baseName, sprintf("%.2f", ratio),
        minRatio ? ">= " minRatio : "-", minRatio ? yes(ratio >= minRatio) : "-")
}

# A figure for 100k fields against the same work on ten objects of 10k fields each
# (same number of fields, same memory): a cost that grows with the length of one list
# shows as a ratio well above 1 (a list walk would give about 10).
function linearRow(figure, key, baseKey, limitMs, maxRatio, baseName,    ratio, ok, target) {
    if (!have(key) || !have(baseKey)) { gap(figure, missing(have(key) ? baseKey : key)); return }
    ratio = ms(key) / ms(baseKey)
    ok = 1
    target = ""
    if (limitMs) { ok = ms(key) < limitMs; target = "< " limitMs " ms" }
    if (maxRatio) { ok = ok && ratio <= maxRatio; target = target (target ? ", " : "") "ratio <= " maxRatio }
    row(figure, num(ms(key)), "ms", num(ms(baseKey)) " ms for " (baseName ? baseName : "10 x 10k"),
        sprintf("%.2f", ratio), target, yes(ok))
}

# Time against a baseline of the same run; at most maxRatio times as long.
function costRow(figure, key, baseKey, baseName, maxRatio,    ratio) {
    if (!have(key) || !have(baseKey)) { gap(figure, missing(have(key) ? baseKey : key)); return }
    ratio = ms(key) / ms(baseKey)
    row(figure, num(ms(key)), "ms", num(ms(baseKey)) " ms " baseName, sprintf("%.2f", ratio),
        "ratio <= " maxRatio, yes(ratio <= maxRatio))
}

function plainRow(figure, key) {
    if (have(key)) row(figure, num(ms(key)), "ms", "-", "-", "-", "-")
    else gap(figure, missing(key))
}

# text: "body_bytes=N baseline_kib=N peak_kib=N" (native) or
# "body_bytes=N before_bytes=N peak_bytes=N" (Wine), or a reason there is no figure. Sets
# m["body"] and m["rise"], in MiB; false for a reason.
function memoryFigures(text, m,    before, peak) {
    if (text !~ /^body_bytes=/ || !keyValues(text, m)) return 0
    before = "before_bytes" in m ? m["before_bytes"] : m["baseline_kib"] * 1024
    peak = "peak_bytes" in m ? m["peak_bytes"] : m["peak_kib"] * 1024
    m["body"] = m["body_bytes"] / 1048576
    m["rise"] = (peak - before) / 1048576
    return 1
}

# text: "name=value ..." into m; false when text is a reason instead.
function keyValues(text, m,    fields, i, kv) {
    if (text !~ /^[a-z_]+=/) return 0
    split(text, fields, " ")
    for (i in fields) { split(fields[i], kv, "="); m[kv[1]] = kv[2] + 0 }
    return 1
}

# The memory road: the rise against the body's size.
function memoryRow(figure, text,    m, ratio) {
    if (!memoryFigures(text, m)) { gap(figure, text); return }
    ratio = m["rise"] / m["body"]
    row(figure, sprintf("%.2f", ratio), "x body", sprintf("%.0f MiB body, peak +%.1f MiB", m["body"], m["rise"]),
        sprintf("%.2f", ratio), "<= 1.1x + 4 MiB", yes(m["rise"] <= 1.1 * m["body"] + 4))
}

# The body-file road: the rise itself, against a fixed bound.
function boundedMemoryRow(figure, text, limitMiB,    m) {
    if (!memoryFigures(text, m)) { gap(figure, text); return }
    row(figure, sprintf("%.1f", m["rise"]), "MiB", sprintf("%.0f MiB body", m["body"]),
        sprintf("%.3f", m["rise"] / m["body"]), "<= " limitMiB " MiB", yes(m["rise"] <= limitMiB))
}

# Each "WHERE SHAPE FIGURES" of shapes: the rise for a 64 MiB text of that shape.
function shapeRows(    lines, n, i, parts, where, text) {
    text["first-line"] = "boundary line"; text["header-line"] = "header line"
    text["short-lines"] = "value in short lines"; text["one-line"] = "value in one line"
    text["file-name"] = "file name"; text["field-name"] = "field name"
    n = split(shapes, lines, "|")
    for (i = 1; i <= n; i++) {
        if (split(lines[i], parts, " ") < 3) continue
        where = parts[1] == "wine" ? "under Wine" : "natively"
        boundedMemoryRow("peak memory " where ", object for a 64 MiB " text[parts[2]],
                         substr(lines[i], length(parts[1]) + length(parts[2]) + 3), 16)
    }
}

function wineCreateRow(figure,    parts, ratio) {
    if (split(wineCreate, parts, " ") != 2 || parts[1] !~ /^[0-9.]+$/ || parts[2] + 0 <= 0) {
        gap(figure, wineCreate)
        return
    }
    ratio = parts[1] / parts[2]
    row(figure, sprintf("%.2f", parts[1]), "s", sprintf("%.2f s in memory", parts[2]), sprintf("%.2f", ratio),
        "ratio <= 1.1", yes(ratio <= 1.1))
}

function concurrentRow(figure,    m, peak, ok) {
    if (!keyValues(concurrent, m)) { gap(figure, concurrent); return }
    peak = m["peak_bytes"] / 1048576
    ok = m["intact"] == m["uploads"] && peak > 0 && peak < 256
    row(figure, sprintf("%.0f", peak), "MiB", sprintf("%d of %d saved intact in %.1f s", m["intact"],
        m["uploads"], m["seconds"]), "-", "< 256 MiB, all intact", yes(ok))
}

# One run of each: the process's CPU seconds, against openssl's on the same bytes.
function hashRow(figure,    parts, ratio) {
    if (split(hash, parts, " ") != 2 || parts[1] !~ /^[0-9.]+$/ || parts[2] + 0 <= 0) { gap(figure, hash); return }
    ratio = parts[1] / parts[2]
    row(figure, sprintf("%.3f", parts[1]), "s", sprintf("%.3f s openssl dgst -sha256", parts[2]),
        sprintf("%.2f", ratio), "ratio <= 1.1", yes(ratio <= 1.1))
}

# Wine's CNG is Wine's, so its figure is shown, not held to a target.
function wineHashRow(figure,    parts) {
    if (split(wineHash, parts, " ") != 2 || parts[1] !~ /^[0-9.]+$/ || parts[2] + 0 <= 0) { gap(figure, wineHash); return }
    row(figure, sprintf("%.3f", parts[1]), "s", sprintf("%.3f s openssl dgst -sha256", parts[2]),
        sprintf("%.2f", parts[1] / parts[2]), "-", "-")
}

function largeRow(figure,    m) {
    if (!keyValues(large, m)) { gap(figure, large); return }
    row(figure, sprintf("%.1f", m["seconds"]), "s", sprintf("%s, host peak %.0f MiB",
        m["intact"] ? "saved intact" : "NOT saved intact", m["peak_bytes"] / 1048576), "-",
        "saved intact", yes(m["intact"]))
}

# The upload through the page host, and beside it the least a save page can take on this
# machine: the discard page plus filling the body's memory and writing the file natively.
function endToEndRows(figure, floorFigure, memoryFigure,    parts, ratio, floor) {
    if (split(e2e, parts, " ") != 4 || parts[1] !~ /^[0-9.]+$/) { gap(figure, e2e); return }
    ratio = parts[1] / parts[2]
    row(figure, sprintf("%.2f", parts[1]), "s", sprintf("%.2f s discard page", parts[2]),
        sprintf("%.2f", ratio), "<= 2", yes(ratio <= 2))
    floor = parts[2] + parts[3]
    row(floorFigure, sprintf("%.2f", floor), "s", sprintf("%.2f s discard page", parts[2]),
        sprintf("%.2f", floor / parts[2]), "-", "-")
    row(memoryFigure, sprintf("%.2f", parts[1]), "s", sprintf("%.2f s in memory", parts[4]),
        sprintf("%.2f", parts[1] / parts[4]), "-", "-")
}

function printTable(    i, j, cells, width, line, n) {
    header = "figure\tvalue\tunit\tbaseline\tratio\ttarget\tmet?"
    split(header, cells, "\t")
    for (j = 1; j <= 7; j++) width[j] = length(cells[j])
    for (i = 1; i <= rowCount; i++) {
        n = split(rows[i], cells, "\t")
        for (j = 1; j <= n; j++) if (length(cells[j]) > width[j]) width[j] = length(cells[j])
    }
    print machine
    print ""
    printLine(header, width)
    line = "|"
    for (j = 1; j <= 7; j++) line = line " " dashes(width[j]) " |"
    print line
    for (i = 1; i <= rowCount; i++) printLine(rows[i], width)
}
function dashes(n,    s) { s = ""; while (n-- > 0) s = s "-"; return s }
function printLine(text, width,    cells, j, line) {
    split(text, cells, "\t")
    line = "|"
    for (j = 1; j <= 7; j++) line = line " " sprintf(j == 1 ? "%-*s" : "%*s", width[j], cells[j]) " |"
    print line
}

END {
    baselineRow("memchr+memcmp scan, random 100 MiB", "scan/random/100MiB")
    baselineRow("memchr+memcmp scan, text 100 MiB", "scan/text/100MiB")
    baselineRow("memcpy into touched memory, 100 MiB", "memcpy_touched/100MiB")
    baselineRow("memcpy into fresh memory, 100 MiB", "memcpy_fresh/100MiB")
    ratioRow("parse 1 MiB, random content", "parse/random/1MiB", "scan/random/1MiB", "scan", 0.5)
    ratioRow("parse 1 MiB, text content", "parse/text/1MiB", "scan/text/1MiB", "scan", 0.5)
    ratioRow("parse 100 MiB, random content", "parse/random/100MiB", "scan/random/100MiB", "scan", 0.5)
    ratioRow("parse 100 MiB, text content", "parse/text/100MiB", "scan/text/100MiB", "scan", 0.5)
    ratioRow("create object, 100 MiB random (intake + parse), in memory", "create/random/100MiB",
             "memcpy_fresh/100MiB", "fresh memcpy", 0)
    costRow("create object, 100 MiB random, body file", "create_body_file/random/100MiB",
            "create/random/100MiB", "in memory", 1.1)
    plainRow("parse 10k fields", "parse_fields/10000")
    linearRow("parse 100k fields", "parse_fields/100000", "parse_fields/10x10000", 1000, 0)
    plainRow("FormVariableByIndex over all 10k fields", "by_index/10000")
    linearRow("FormVariableByIndex over all 100k fields", "by_index/100000", "by_index/10x10000", 0, 1.5)
    plainRow("FormVariable over all 10k fields", "by_name/10000")
    linearRow("FormVariable over all 100k fields", "by_name/100000", "by_name/10x10000", 0, 1.5)
    costRow("FormVariable over all 10k fields, CodePage 65001", "by_name_unicode/10000", "by_name/10000",
        "on CodePage 0", 2)
    costRow("Files(name) over all 10k files", "files_by_name/10000", "files_by_index/10000", "by index", 2)
    ratioRow("parse 1,000 small files in one body", "parse_files/1000", "scan_files/1000", "scan", 0)
    costRow("create object, 1,000 files of 1 KiB, every file listed", "create_files/1000",
            "create_first_file/1000", "keeping the first file only", 1.1)
    plainRow("FileSize of every file, 10 objects of 1k files", "enumerate_files/10x1000")
    linearRow("FileSize of every file, 10k files", "enumerate_files/10000", "enumerate_files/10x1000", 0, 1.5,
              "10 x 1k")
    hashRow("SHA-256 of a 100 MiB file, body window and libcrypto")
    wineHashRow("Hash (SHA-256) of a 100 MiB file under Wine, body file and Wine's CNG")
    wineCreateRow("create object under Wine, 100 MiB, body file")
    memoryRow("peak memory natively, object for a 100 MiB upload in memory", memory)
    memoryRow("peak memory under Wine, object for a 100 MiB upload in memory", wineMemory)
    boundedMemoryRow("peak memory natively, object for a 1 GiB upload", bigMemory, 16)
    boundedMemoryRow("peak memory under Wine, object for a 1 GiB upload", wineBigMemory, 32)
    boundedMemoryRow("peak memory under Wine, ReadBytes over a 1 GiB file in 1 MiB chunks", wineReadBytes, 32)
    shapeRows()
    endToEndRows("200 MB upload through the page host vs a discard page",
                 "least a save page can take here: discard + new memory + new file",
                 "200 MB upload through the page host, body file vs in memory")
    concurrentRow("16 uploads of 64 MiB at once through the page host: host peak")
    largeRow("1.5 GiB upload through the page host, 64-bit build")
    printTable()
}
