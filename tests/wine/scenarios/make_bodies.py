#!/usr/bin/env python3
"""Writes the scenarios' request bodies (*.body) into this folder. Run it after changing
one; the bodies are committed so that the scenarios need no build step of their own."""
import os
import struct
import zlib

BOUNDARY = b"----KestruneScenarioBoundary7d3f"
CRLF = b"\r\n"


def field(name, value):
    return (b"--" + BOUNDARY + CRLF + b'Content-Disposition: form-data; name="' + name + b'"'
            + CRLF + CRLF + value + CRLF)


def file_part(name, filename, content_type, data):
    return (b"--" + BOUNDARY + CRLF + b'Content-Disposition: form-data; name="' + name
            + b'"; filename="' + filename + b'"' + CRLF + b"Content-Type: " + content_type
            + CRLF + CRLF + data + CRLF)


def body(*parts):
    return b"".join(parts) + b"--" + BOUNDARY + b"--" + CRLF


def padded_to(total, make):
    """A body of exactly total bytes: make(n) with n filler bytes, n solved for."""
    overhead = len(make(0))
    result = make(total - overhead)
    assert len(result) == total, len(result)
    return result


def filler(n):
    return bytes((i * 7 + 3) % 251 for i in range(n))


def png(width, height):
    """A true-colour PNG of width x height black pixels."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\x00" + b"\x00\x00\x00" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


BODIES = {
    "members": body(
        field(b"Title", b"A"), field(b"colour", b"B"), field(b"a", b"1"), field(b"A", b"2"),
        field(b"x", b"1=2"),
        file_part(b"upload", b"C:\\dir\\report.final.txt", b"text/plain", b"abc")),
    "no_file": body(field(b"one", b"1"), field(b"two", b"2"), field(b"three", b"3")),
    "big": padded_to(250000, lambda n: body(
        field(b"note", b"large"), file_part(b"upload", b"big.bin", b"application/octet-stream",
                                            filler(n)))),
    "save": body(field(b"purpose", b"saving"),
                 file_part(b"upload", b"photo.jpg", b"image/jpeg", b"NEW CONTENT")),
    # Two files through one "multiple" input, an empty input, a zero-byte file and a
    # second input: three files are listed.
    "files": body(file_part(b"docs", b"a.txt", b"text/plain", b"first"),
                  file_part(b"docs", b"C:\\in\\b.tar.gz", b"application/gzip", b"\x00second\r\n"),
                  file_part(b"empty", b"", b"application/octet-stream", b""),
                  file_part(b"zero", b"zero.txt", b"text/plain", b""),
                  field(b"note", b"three files"),
                  file_part(b"Photo", b"a.txt", b"image/jpeg", b"third"),
                  # "\xc9tat" in Windows-1252.
                  file_part(b"\xc9tat", b"e.txt", b"text/plain", b"fourth")),
    # 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
    "dbcs": body(field(b"\x96\xbc\x91\x4f", b"\x95\x5c"),
                 file_part(b"upload", b"C:\\\x83\x66\x81\x5b\x83\x5e\\\x95\x5c.txt",
                           b"text/plain", b"dbcs")),
    # What a UTF-8 page sends: non-ASCII names and values, a name the ANSI code page
    # lacks, and a name that is ill-formed UTF-8 (0xFF, and a sequence cut short).
    # Names whose UTF-8 bytes are case pairs in Windows-1252 (お/ず, Ì/Ü), and names that a
    # linguistic comparison takes for others (ß and ss, a soft hyphen).
    "unicode": body(field("Title".encode(), "Ünïcödé 日本語".encode()),
                    field("über".encode(), b"yes"),
                    field("お".encode(), b"o-value"), field("ず".encode(), b"zu-value"),
                    field("straße".encode(), b"sharp"), field("strasse".encode(), b"double"),
                    field("ti\u00adtle".encode(), b"soft"),
                    field("Ü".encode(), b"first"), field("Ì".encode(), b"grave"),
                    field("ü".encode(), b"second"),
                    file_part(b"upload", "Grüße 日本語 ✓.txt".encode(), b"text/plain",
                              "grüße".encode()),
                    file_part(b"bad", b"a\xffb\xe3\x81.txt", b"text/plain", b"x")),
    # U+3041 is E3 81 81 in UTF-8; code page 932 takes 0x81 0x2E for one character.
    "utf8_dbcs": body(field("ぁ".encode(), b"small-a"),
                      file_part(b"upload", "ぁ.txt".encode(), b"text/plain", b"hiragana")),
    # A form whose names repeat in other letter cases, with ", " inside a value, and
    # file inputs (chosen and empty) that the Form collection leaves to Files.
    "form": body(field(b"item", b"a, b"), file_part(b"upload", b"f.txt", b"text/plain", b"file"),
                 field(b"Item", b"c"), field(b"note", b"line 1\r\nline 2"),
                 file_part(b"empty", b"", b"application/octet-stream", b""),
                 field(b"title", b"Hello"), field(b"ITEM", b"d")),
    # A body cut before its closing delimiter, and one that is not multipart at all.
    "cut_body": body(field(b"title", b"Hello"),
                     file_part(b"upload", b"cut.txt", b"text/plain", b"all of it"))[:-40],
    "not_multipart": b"title=Hello&note=url-encoded",
    # Parts on both sides of each limit of upload_limits: text fields of 5, 21 and 20
    # bytes, then one over the count; files of 100 and 1000 bytes kept, one of 1001 too
    # large, one whose extension is not allowed, one over the count.
    "upload_limits": body(field(b"title", b"Hello"), field(b"note", b"twenty-one bytes long"),
                          field(b"extra", b"exactly twenty bytes"), field(b"more", b"1"),
                          file_part(b"photo", b"C:\\pictures\\A.JPG", b"image/jpeg", filler(100)),
                          file_part(b"tool", b"setup.exe", b"application/octet-stream", b"MZ" + filler(8)),
                          file_part(b"big", b"b.png", b"image/png", filler(1001)),
                          file_part(b"edge", b"d.Png", b"image/png", filler(1000)),
                          file_part(b"late", b"e.gif", b"image/gif", filler(20)),
                          field(b"title", b"again")),
    # What the file members read and keep: an image, names that must be made safe or
    # refused, every byte value, and a file of several CopyTo chunks.
    "file_facts": body(file_part(b"avatar", b"Avatar.PNG", b"image/png", png(3, 2)),
                       file_part(b"trick", b"x.asp;.jpg", b"image/jpeg", b"<% Response.Write 1 %>"),
                       file_part(b"page", b"C:\\site\\page.asp.", b"text/plain", b"<%@ Language=VBScript %>"),
                       file_part(b"bytes", b"every byte.bin", b"application/octet-stream",
                                 bytes(range(256)) * 2 + bytes(range(88))),
                       file_part(b"big", b"big.bin", b"application/octet-stream", filler(2500000))),
}

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    for name, data in BODIES.items():
        with open(os.path.join(here, name + ".body"), "wb") as out:
            out.write(data)
