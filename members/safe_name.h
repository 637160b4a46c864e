// SafeFilename: a browser's file name made fit to store as it is in any folder. The
// browser chooses the name, so each rule here closes a way a name could reach something
// other than a new file of that name: another folder, a stream of a file, a device, or a
// name that Windows or IIS would read as another.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/code_page.h"

namespace kestrune {

// The most characters a safe name keeps, counted as a script counts them (UTF-16 units),
// which leaves room for a folder within the 260 characters of a classic path.
inline constexpr std::size_t kSafeNameLimit = 200;

// fileName (a TFileRecord's FileNameText: in codePage's bytes, which is the UTF-8 page on
// the Unicode road) made safe, in the same encoding:
//  - each of < > : " / \ | ? *, each control character (0x00-0x1F), ; and % becomes _
//    (never a byte inside a double-byte or multi-byte character);
//  - dots and blanks at either end go;
//  - a device name's stem (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9, LPT0-9 and COM or
//    LPT with a superscript 1, 2 or 3, any case, with any extensions: con.txt.jpg) gets
//    a leading _;
//  - past kSafeNameLimit characters the stem is cut, keeping the extension (the text from
//    the last dot) whole where it leaves the stem a character, else the name is cut; a
//    cut never splits a character or a surrogate pair, and any dots and blanks it leaves
//    at the end go too.
// Empty when nothing is left.
std::string SafeFilename(std::string_view fileName, const CodePage& codePage);

// The extension of a safe name, without its dot: the text after the last dot, "" for a
// name without one.
std::string SafeNameExtension(std::string_view safeName, const CodePage& codePage);

}  // namespace kestrune
