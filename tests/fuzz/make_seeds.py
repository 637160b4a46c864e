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


def zip_bytes(entries):
    """A small archive made by zipfile, entries (name, text, stored?) in order."""
    import io
    import zipfile
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for name, text, stored in entries:
            info = zipfile.ZipInfo(name, date_time=(2024, 1, 1, 0, 0, 0))
            archive.writestr(info, text, compress_type=zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED)
    return out.getvalue()


def file_fact_seeds():
    """Bodies whose files start as the types and images DetectFileType and ReadImageSize read."""
    import struct
    png = b"\x89PNG\r\n\x1a\n" + struct.pack(">I", 13) + b"IHDR" + struct.pack(">II", 37, 23) + b"\x08\x02\0\0\0"
    gif = b"GIF89a" + struct.pack("<HH", 37, 23) + b"\xf0\0\0"
    jpeg = b"\xff\xd8\xff\xe0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xff\xff\xc0\0\x11\x08\0\x17\0\x25\x03" + b"\x01\x22\0" * 3
    bmp = b"BM" + b"\0" * 12 + struct.pack("<Iii", 40, 37, -23) + b"\x01\0\x18\0"
    os2 = b"BM" + b"\0" * 12 + struct.pack("<IHH", 12, 37, 23)
    vp8 = b"RIFF\x24\0\0\0WEBPVP8 \x18\0\0\0\x50\x03\0\x9d\x01\x2a" + struct.pack("<HH", 37, 23)
    vp8l = b"RIFF\x1c\0\0\0WEBPVP8L\x0f\0\0\0\x2f" + struct.pack("<I", 36 | (22 << 14))
    vp8x = b"RIFF\x24\0\0\0WEBPVP8X\x0a\0\0\0\x10\0\0\0" + struct.pack("<I", 36)[:3] + struct.pack("<I", 22)[:3]
    docx = zip_bytes([("[Content_Types].xml", b"<Types/>", False), ("word/document.xml", b"<w/>", False)])
    odt = zip_bytes([("mimetype", b"application/vnd.oasis.opendocument.text", True), ("content.xml", b"<c/>", False)])
    frame = b"\xff\xfb\x90\x64" + b"\x55" * 413
    ogg = b"OggS\0\x02" + b"\0" * 20 + b"\x01\x08OpusHead"
    webm = b"\x1a\x45\xdf\xa3\x8b\x42\x86\x81\x01\x42\x82\x84webm"
    ftyp = b"\0\0\0\x18ftypmif1\0\0\0\0mif1heic"
    pe = b"MZ" + b"\0" * 0x3A + b"\x40\0\0\0PE\0\0" + b"\0" * 18 + b"\x02\x21"
    f = lambda name, content: file(b"f", name, content)
    return {
        "file-images": body(f(b"a.png", png), f(b"a.gif", gif), f(b"a.jpg", jpeg), f(b"a.bmp", bmp)),
        "file-webp": body(f(b"b.bmp", os2), f(b"a.webp", vp8), f(b"b.webp", vp8l), f(b"c.webp", vp8x)),
        "file-packages": body(f(b"a.docx", docx), f(b"a.odt", odt)),
        "file-archives": body(f(b"a.gz", b"\x1f\x8b\x08\0"), f(b"a.7z", b"7z\xbc\xaf\x27\x1c"), f(b"a.rar", b"Rar!\x1a\x07\x01\0")),
        "file-mp3": body(f(b"a.mp3", frame + frame[:8])),
        "file-media": body(f(b"a.ogg", ogg), f(b"a.flac", b"fLaC\0\0\0\x22"), f(b"a.webm", webm), f(b"a.heic", ftyp), f(b"a.wav", b"RIFF\x24\0\0\0WAVEfmt ")),
        "file-programs": body(f(b"con.txt.exe", pe), f(b"x.asp;.jpg", b"\x7fELF\x02\x01"), f(b" run.sh.", b"#!/usr/bin/env python3\n"), f(b"a\xc3\xa9.txt", b"caf\xc3\xa9\n")),
    }


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
    seeds.update(file_fact_seeds())
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
    # Receive with limits (bit 6 of byte 6; the limit bytes as limits_checks.h reads them).
    upload = lambda body, *limit, fail=0, disconnect=0: plan(disconnect=disconnect, fail=fail, fail_high=0x40) + bytes(limit) + body
    seeds.update({
        "limits-none": upload(basic, 0, 0, 0, 0, 0),
        "limits-files": upload(files, 0, 1, 1, 0, 0),
        "limits-fields": upload(bodies["repeated-names"], 0, 0, 2 << 3, 1, 0),
        "limits-extensions": upload(bodies["traversal-names"], 0, 0, 0, 0, 1),
        "limits-extensions-asp": upload(bodies["traversal-names"], 0, 0, 3, 0, 3),
        "limits-separators": upload(bodies["extensions"], 0, 0, 0, 0, 4),
        "limits-body": upload(basic, 1, 0, 0, 0, 0),
        "limits-failing-pass": upload(basic, 0, 1, 1, 1, 1, fail=4),
        "limits-disconnect-in-parse": upload(bodies["repeated-names"], 0, 1, 1, 1, 1, disconnect=4),
        "limits-extension-first": upload(basic, 0, 1, 0, 0, 1),
        "limits-closing-boundary": upload(field(b"a", b"long", boundary=b"--XyZ--") + b"--XyZ--\r\n", 0, 0, 0, 1, 0),
    })
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
