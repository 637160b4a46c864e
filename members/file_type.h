// DetectFileType: what a file's first bytes show it to be, whatever its name and the
// Content-Type its browser gave. A small bounded reader: it looks at the first
// kTextSniffBytes, and for ZIP and Windows programs at a few headers beyond them.
//
// The table (OOXML stands for application/vnd.openxmlformats-officedocument., ODF for
// application/vnd.oasis.opendocument.):
//   kind          first bytes                                    Type                          Extension
//   JPEG          FF D8 FF                                       image/jpeg                    jpg
//   PNG           89 "PNG" 0D 0A 1A 0A                           image/png                     png
//   GIF           "GIF87a" or "GIF89a"                           image/gif                     gif
//   WebP          "RIFF", size, "WEBP"                           image/webp                    webp
//   BMP           "BM", a bitmap header's size at 14             image/bmp                     bmp
//   TIFF          "II" 2A 00 or "MM" 00 2A                       image/tiff                    tif
//   ICO           00 00 01 00, a count of images above 0         image/x-icon                  ico
//   AVIF          an ISO "ftyp" box at 4, brand avif or avis     image/avif                    avif
//   HEIC          "ftyp", brand heic heix heim heis hevc hevx    image/heic                    heic
//   HEIF          "ftyp", brand mif1 or msf1, neither of those   image/heif                    heif
//   QuickTime     "ftyp", major brand "qt  "                     video/quicktime               mov
//   MPEG-4 audio  "ftyp", major brand M4A, M4B or M4P            audio/mp4                     m4a
//   MPEG-4        "ftyp", any other brand                        video/mp4                     mp4
//   PDF           "%PDF-"                                        application/pdf               pdf
//   Word          ZIP with [Content_Types].xml and an entry      OOXML wordprocessingml.document docx
//                 under word/ among its first 8 entries
//   Excel         the same with xl/                              OOXML spreadsheetml.sheet     xlsx
//   PowerPoint    the same with ppt/                             OOXML presentationml.presentation pptx
//   OpenDocument  ZIP, its first entry "mimetype", stored,       ODF text, ODF spreadsheet,    odt ods
//                 holding a type of the next column              ODF presentation, ODF graphics odp odg
//   EPUB          the same, holding application/epub+zip         application/epub+zip          epub
//   ZIP           "PK" 03 04, or "PK" 05 06 (empty)              application/zip               zip
//   GZIP          1F 8B 08                                       application/gzip              gz
//   7z            "7z" BC AF 27 1C                               application/x-7z-compressed   7z
//   RAR           "Rar!" 1A 07 00, or "Rar!" 1A 07 01 00         application/vnd.rar           rar
//   MP3           "ID3", or an MPEG Layer III frame header and   audio/mpeg                    mp3
//                 another after it (unless the file ends first)
//   WAV           "RIFF", size, "WAVE"                           audio/wav                     wav
//   Ogg           "OggS", the first packet Theora's              video/ogg                     ogv
//                 "OggS", the first packet Opus's                audio/ogg                     opus
//                 "OggS", any other                              audio/ogg                     ogg
//   FLAC          "fLaC"                                         audio/flac                    flac
//   WebM          EBML 1A 45 DF A3, DocType "webm"               video/webm                    webm
//   Matroska      EBML, any other DocType or none                video/x-matroska              mkv
//   Windows       "MZ"                                           application/vnd.microsoft.    exe; dll where
//   program                                                        portable-executable         the PE header says
//   ELF           7F "ELF"                                       application/x-executable      ""
//   script        "#!", then (after env) sh bash dash ksh zsh    application/x-sh              sh
//                 python python2 python3                         text/x-python                 py
//                 perl                                           text/x-perl                   pl
//                 php                                            application/x-httpd-php       php
//                 node nodejs                                    text/javascript               js
//                 any other                                      text/x-script                 ""
//   text          well-formed UTF-8 without NUL in the first     text/plain                    txt
//                 kTextSniffBytes (a character their end cuts
//                 counts, where the file goes on)
//   anything else, and an empty file                             application/octet-stream      ""
// The signatures exclude each other; text is tried only where none fits.
#pragma once

#include <cstddef>
#include <string_view>

#include "multipart/body_window.h"

namespace kestrune {

struct DetectedFileType {
    std::string_view Type = "application/octet-stream";
    std::string_view Extension;
};

// How far into a file the text row looks.
inline constexpr std::size_t kTextSniffBytes = 4096;

// The row of the table above for the size bytes from offset of body (all within its
// Size()). Throws what the window throws.
DetectedFileType DetectFileType(BodyWindow& body, std::size_t offset, std::size_t size);

}  // namespace kestrune
