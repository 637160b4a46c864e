#pragma once
// Server.HTMLEncode and Server.URLEncode, on the UTF-16 text that scripts hand over.

#include <string>
#include <string_view>

namespace kestrune {

// < > & " become &lt; &gt; &amp; &quot;; characters 160 to 255 become &#N; (classic
// ASP does this so Latin-1 text survives any page code page). The apostrophe and
// characters above 255 pass unchanged.
std::u16string HtmlEncode(std::u16string_view text);

// ASCII letters and digits pass; a space becomes "+"; every other character is
// written as %XX for each byte of its UTF-8 form (the host runs pages as UTF-8), with
// upper-case hex. An unpaired surrogate is encoded as U+FFFD.
std::string UrlEncode(std::u16string_view text);

}  // namespace kestrune
