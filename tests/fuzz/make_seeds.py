#!/usr/bin/env python3
"""Writes the fuzz seeds: request bodies for the parse target (seeds/parse/) and host
plans plus bodies for the intake target (seeds/intake/). The files are kept in the
repository; run this again only to change them."""
import pathlib
import shutil

HERE = pathlib.Path(__file__).resolve().parent
B = b"--XyZ"


def part(headers, content, eol=b"\r\n", boundary=B):
    return boundary + eol + eol.join(headers) + eol + eol + content + eol


def field(name, value, eol=b"\r\n", boundary=B):
    return part([b'Content-Disposition: form-data; name="' + name + b'"'], value, eol, boundary)


def file(name, filename, content, ctype=b"application/octet-stream", eol=b"\r\n", boundary=B):
    disposition = b'Content-Disposition: form-data; name="' + name + b'"; filename="' + filename + b'"'
    return part([disposition, b"Content-Type: " + ctype], content, eol, boundary)


def body(*parts, eol=b"\r\n", boundary=B, closing=True):
    return b"".join(parts) + (boundary + b"--" + eol if closing else b"")


def parse_seeds():
    lf = b"\n"
    png = bytes(range(256)) * 3
    seeds = {
        "basic": body(field(b"title", b"Hello"), file(b"upload", b"C:\\docs\\report.final.pdf", b"%PDF-1.4 data", b"application/pdf")),
        "bare-lf": body(field(b"title", b"Hello", lf), file(b"upload", b"a.txt", b"abc", eol=lf), eol=lf),
        "mixed-eol": field(b"a", b"line1\rline2\nline3") + file(b"f", b"x.bin", b"\r\n\r\n") + B + b"--",
        "long-boundary": body(field(b"a", b"1", boundary=b"-" * 70), file(b"f", b"a.b", png, boundary=b"-" * 70), boundary=b"-" * 70),
        "one-byte-boundary": body(field(b"a", b"1", boundary=b"-"), file(b"f", b"a.b", b"xyz", boundary=b"-"), boundary=b"-"),
        "two-byte-boundary": body(file(b"f", b"a.b", b"x--y-", boundary=b"--"), boundary=b"--"),
        "empty-first-line": b"\r\n" + field(b"a", b"1") + b"\r\n\r\n\r\n\r\n",
        "boundary-less-last-byte": body(file(b"f", b"a.txt", b"head\r\n--XyZ-less\r\n--Xy tail")),
        "boundary-in-file": body(file(b"f", b"a.txt", b"--XyZ\r\n--XyZ--"), field(b"b", b"2")),
        "preamble-epilogue": b"This is a preamble\r\n" + body(field(b"a", b"1")) + b"epilogue junk\r\n--XyZ\r\nmore",
        "missing-closing": body(field(b"a", b"one\r\ntwo"), closing=False),
        "missing-closing-file": body(field(b"a", b"1"), file(b"f", b"a.txt", b"data"), closing=False),
        "truncated-headers": B + b"\r\nContent-Disposition: form-data; name=\"a\"\r\n",
        "empty-parts": B + b"\r\n\r\n\r\n\r\n" + B + b"\r\n\r\n\r\n\r\n" + B + b"--\r\n",
        "empty": b"",
        "only-boundary": B,
        "dbcs-names": body(field(b"\x82\x60\x82\x81", b"v1"), field(b"\x82\x81\x82\x60", b"v2"), file(b"f", b"\x95\x5c.asp", b"x"), file(b"g", b"dir\\\x95\x5c\\\x83\x5c.txt", b"y")),
        "dbcs-trail-separators": body(file(b"f", b"\x95\x5c\x81\x5c\x81:\x81/a.txt", b"data")),
        "huge-field-name": body(field(b"n" * 9000, b"v")),
        "huge-file-name": body(file(b"f", b"x" * 20000 + b".jpg", b"data")),
        "many-empty-fields": body(*[field(b"", b"") for _ in range(300)]),
        "many-distinct-fields": body(*[field(b"f%d" % i, b"%d" % i) for i in range(400)]),
        "repeated-names": body(field(b"Color", b"red"), field(b"color", b"blue"), field(b"COLOR", b"green"), field(b"a", b"1"), field(b"A", b"2")),
        "equals-in-names": body(field(b"a=b", b"v"), field(b"a=b", b"w"), field(b"", b"empty"), field(b"a", b"x")),
        "nul-bytes": body(field(b"a\0b", b"v\0w"), field(b"a\0b", b"again"), file(b"f\0", b"evil.asp\0.jpg", b"data"), field(b"\0", b"")),
        "quotes-in-filename": body(file(b"f", b'a"b.txt', b"1"), file(b"g", b"a%22b.txt", b"2")),
        "traversal-names": body(file(b"f", b"../../x.asp", b"1"), file(b"f", b"..\\..\\x.asp", b"2"), file(b"f", b"C:\\x.asp", b"3"), file(b"f", b"x.asp:.jpg", b"4"), file(b"f", b"CON", b"5"), file(b"f", b"x.asp.", b"6"), file(b"f", b"x.asp ", b"7")),
        "content-type-variants": body(file(b"a", b"a.png", b"1", b"image/png"), part([b'Content-Disposition: form-data; name="b"; filename="b.png"', b"Content-Type:image/png"], b"2"), part([b'Content-Disposition: form-data; name="c"; filename="c.png"', b"content-type: image/png"], b"3"), part([b'Content-Disposition: form-data; name="d"; filename="d"', b"Content-Type:"], b"4")),
        "empty-then-file": body(file(b"up", b"", b"", b"application/octet-stream"), file(b"up", b"empty.txt", b""), file(b"up", b"real.txt", b"R"), file(b"up", b"second.txt", b"S")),
        "extra-file-headers": body(part([b'Content-Disposition: form-data; name="f"; filename="a.bin"', b"Content-Type: application/octet-stream", b"Content-Transfer-Encoding: binary", b"X-Other: 1"], b"bytes")),
        "text-with-charset": body(part([b'Content-Disposition: form-data; name="note"', b"Content-Type: text/plain; charset=UTF-8"], b"hello")),
        "headers-swapped": body(part([b"Content-Type: text/plain", b'Content-Disposition: form-data; name="x"'], b"v")),
        "filename-first": body(part([b'Content-Disposition: form-data; filename="f.txt"; name="n"', b"Content-Type: text/plain"], b"v")),
        "unterminated-quotes": body(part([b'Content-Disposition: form-data; name="abc'], b"v"), part([b'Content-Disposition: form-data; name="f"; filename="abc', b"Content-Type: text/plain"], b"v")),
        "closing-in-value": field(b"a", b"v") + B + b"--\r\n\r\n",
        "binary-file": body(file(b"f", b"blob.bin", png + b"\r\n--XyZ" + png, b"application/octet-stream")),
        "crlf-only-lines": B + b"\r\n" + b"\r\r\r\n" * 50 + B + b"--",
        "extensions": body(file(b"f", b".htaccess", b"1"), file(b"f", b"readme.", b"2"), file(b"f", b"noext", b"3"), file(b"f", b"D:report.txt", b"4"), file(b"f", b"photos/cat.jpg", b"5")),
    }
    return seeds


def plan(total_mode=0, t1=0, t2=0, cap=0, disconnect=0, fail=0, fail_high=0, save=0):
    return bytes([total_mode, t1, t2, cap, disconnect, fail, fail_high, save])


def intake_seeds(bodies):
    basic = bodies["basic"]
    files = bodies["empty-then-file"]
    seeds = {
        "whole": plan() + basic,
        "one-byte-passes": plan(cap=1) + basic,
        "short-passes": plan(cap=7) + files,
        "big-total-two-passes": plan(6, 0xFC, 0) + basic,
        "big-total-short": plan(6, 0xFC, 0, cap=0x81) + files,
        "small-total": plan(7, 128) + basic,
        "total-zero": plan(4) + basic,
        "total-negative": plan(5, 0) + basic,
        "total-min": plan(5, 255) + basic,
        "disconnect-first-check": plan(disconnect=1) + basic,
        "disconnect-second-pass": plan(6, 0xFC, disconnect=2) + basic,
        "disconnect-in-parse": plan(disconnect=4) + basic,
        "save-rename": plan(save=2) + basic,
        "save-keep": plan(save=1) + basic,
        "save-failing-write": plan(save=0x80) + basic,
        "save-failing-rename": plan(save=0x82) + basic,
        "dbcs": plan(save=0x40) + bodies["dbcs-names"],
    }
    for call in range(1, 12):
        seeds["fail-call-%d" % call] = plan(fail=call) + basic
        seeds["fail-sticky-%d" % call] = plan(fail=call, fail_high=0x10) + basic
    # Each plan once more with the body in a body file (bit 5 of byte 6).
    for name, data in list(seeds.items()):
        seeds[name + "-body-file"] = data[:6] + bytes([data[6] | 0x20]) + data[7:]
    return seeds


def write(folder, seeds):
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


def main():
    bodies = parse_seeds()
    write(HERE / "seeds" / "parse", bodies)
    write(HERE / "seeds" / "intake", intake_seeds(bodies))


if __name__ == "__main__":
    main()
