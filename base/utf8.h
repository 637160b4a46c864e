// UTF-8 as the Unicode road of the component holds its texts: well formed by RFC 3629
// (no overlong forms, no surrogates, nothing above U+10FFFF), with every ill-formed
// stretch replaced rather than dropped.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// U+FFFD REPLACEMENT CHARACTER, encoded.
inline constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

// The text with each maximal ill-formed subpart (the longest prefix of a sequence that
// could still have become a character, or else one byte) replaced by one U+FFFD, as the
// Unicode Standard (section 3.9) and browsers decode. Well-formed text comes back as it is.
std::string WellFormedUtf8(std::string_view text);

// The length of the well-formed sequence at the start of text (not empty), or 0 when its
// first byte starts none; *subpart receives how many bytes belong to the maximal
// ill-formed subpart then (which, at the end of text, may be a character cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t* subpart);

// Appends the UTF-8 form of a scalar value (not a surrogate, at most U+10FFFF).
void AppendUtf8(std::string& text, char32_t scalar);

// The scalar value at text[*at] of well-formed text, moving *at past it.
char32_t NextScalar(std::string_view text, std::size_t* at);

}  // namespace kestrune
