#!/usr/bin/env python3
"""Writes the files the file-type and image-size tables read, made by the tools that make
such files in the wild: ImageMagick for the images, Python's zipfile, gzip and wave for
the archives, Office and OpenDocument packages and sound, and a PDF written out whole.
usage: make_samples.py FOLDER (made anew; FOLDER/made marks a complete run)."""
import gzip
import io
import pathlib
import shutil
import struct
import subprocess
import sys
import wave
import zipfile

OUT = pathlib.Path(sys.argv[1])


def convert(*arguments):
    subprocess.run(["convert", *arguments], check=True)


def images():
    red = ["-size", "37x23", "xc:red"]
    convert(*red, str(OUT / "image.png"))
    convert(*red, str(OUT / "image.gif"))
    convert(*red, str(OUT / "image.jpg"))
    convert(*red, "-interlace", "JPEG", str(OUT / "progressive.jpg"))
    # A comment segment of some 60 KB before the frame header, as an EXIF block would be.
    convert(*red, "-set", "comment", "x" * 60000, str(OUT / "commented.jpg"))
    convert(*red, "-colorspace", "CMYK", str(OUT / "cmyk.jpg"))
    convert(*red, "BMP3:" + str(OUT / "image.bmp"))
    convert(*red, "BMP2:" + str(OUT / "os2.bmp"))
    convert("-size", "37x23", "xc:#ff000080", "BMP:" + str(OUT / "v5.bmp"))
    convert(*red, str(OUT / "lossy.webp"))
    convert(*red, "-define", "webp:lossless=true", str(OUT / "lossless.webp"))
    convert("-size", "37x23", "xc:#ff000080", str(OUT / "alpha.webp"))
    convert(*red, str(OUT / "image.tif"))
    convert(*red, "-define", "tiff:endian=msb", str(OUT / "big-endian.tif"))
    convert("-size", "32x32", "xc:red", str(OUT / "image.ico"))
    convert(*red, str(OUT / "image.heic"))
    convert(*red, str(OUT / "image.avif"))
    # The same bitmap stored top-down: a negative height.
    bitmap = bytearray((OUT / "image.bmp").read_bytes())
    struct.pack_into("<i", bitmap, 22, -struct.unpack_from("<i", bitmap, 22)[0])
    (OUT / "top-down.bmp").write_bytes(bytes(bitmap))


class Unseekable(io.RawIOBase):
    """A stream zipfile cannot go back in, so that it writes data descriptors."""

    def __init__(self, target):
        self.target = target

    def writable(self):
        return True

    def write(self, data):
        return self.target.write(data)


def package(name, entries, stream=False):
    with open(OUT / name, "wb") as target:
        with zipfile.ZipFile(Unseekable(target) if stream else target, "w") as archive:
            for entry, text, method in entries:
                archive.writestr(zipfile.ZipInfo(entry), text, compress_type=method)


def office(part_folder, main):
    d = zipfile.ZIP_DEFLATED
    return [
        ("[Content_Types].xml", '<?xml version="1.0"?><Types/>', d),
        ("_rels/.rels", '<?xml version="1.0"?><Relationships/>', d),
        ("docProps/app.xml", '<?xml version="1.0"?><Properties/>', d),
        (part_folder + main, '<?xml version="1.0"?><document/>', d),
    ]


def open_document(mime):
    return [
        ("mimetype", mime, zipfile.ZIP_STORED),
        ("content.xml", '<?xml version="1.0"?><office:document-content/>', zipfile.ZIP_DEFLATED),
    ]


def archives():
    d = zipfile.ZIP_DEFLATED
    package("plain.zip", [("readme.txt", "hello", d), ("word.txt", "not a document", d)])
    package("document.docx", office("word/", "document.xml"))
    package("streamed.docx", office("word/", "document.xml"), stream=True)
    package("sheet.xlsx", office("xl/", "workbook.xml"))
    package("slides.pptx", office("ppt/", "presentation.xml"))
    # Office's folders without its [Content_Types].xml: a plain archive.
    package("folders.zip", [("word/document.xml", "<document/>", d)])
    package("text.odt", open_document("application/vnd.oasis.opendocument.text"))
    package("sheet.ods", open_document("application/vnd.oasis.opendocument.spreadsheet"))
    package("slides.odp", open_document("application/vnd.oasis.opendocument.presentation"))
    package("drawing.odg", open_document("application/vnd.oasis.opendocument.graphics"))
    package("book.epub", open_document("application/epub+zip"))
    package("empty.zip", [])
    (OUT / "text.gz").write_bytes(gzip.compress(b"hello " * 100))
    with wave.open(str(OUT / "sound.wav"), "wb") as sound:
        sound.setnchannels(1)
        sound.setsampwidth(2)
        sound.setframerate(8000)
        sound.writeframes(b"\0\0" * 800)


def pdf():
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>",
    ]
    out = bytearray(b"%PDF-1.4\n%\xE2\xE3\xCF\xD3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    table = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, table)
    (OUT / "page.pdf").write_bytes(bytes(out))


shutil.rmtree(OUT, ignore_errors=True)
OUT.mkdir(parents=True)
images()
archives()
pdf()
(OUT / "made").write_text("complete\n")
