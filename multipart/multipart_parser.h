// ParseMultipart: splits a buffered multipart/form-data body into the form-field list
// and the parts behind it. The delimiter is the body's first line; the request headers
// are never looked at. Malformed input yields fewer or odd entries, never an error of
// the parser's own.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "base/field_text.h"
#include "base/file_record.h"
#include "base/string_list.h"
#include "host/code_page.h"
#include "multipart/body_window.h"

namespace kestrune {

// isClientConnected is asked at the start of every cycle of the main loop (before each
// line read outside a part); when it answers false the parser returns, keeping what it
// recorded.

// A stored file part, by offsets into the body: its content and its first two header
// lines. Nothing is copied; DescribeFilePart derives the texts when they are asked for.
struct TFilePart {
    std::int32_t DataStart = 0;
    std::int32_t DataSize = 0;
    std::int32_t FirstHeaderLine = 0;
    std::int32_t SecondHeaderLine = 0;
};

// A part that left a line in the form-field list, by offsets into the body: where its
// header lines start, and whether the first names a file (a filename parameter, empty or
// not). A field's value is the range ValueStart to ValueEnd, which reads as ValueSize
// characters once every CR in it is dropped and every LF becomes CR LF (PartValue). A
// part with a Content-Type line (IsFile) has its content there instead, as ValueSize raw
// bytes (none where no delimiter ended it); its line in the list holds its file name.
struct TFieldPart {
    std::int32_t FirstHeaderLine = 0;
    std::int32_t ValueStart = 0;
    std::int32_t ValueEnd = 0;
    std::int32_t ValueSize = 0;
    bool IsFile = false;
    bool HasFileName = false;
};

// What ParseMultipart found, by offsets into the body, each in body order: every part
// the form-field list records, and every file part with content (the first of which is
// the object's file). Delimited: the body's first line is a boundary line ("--" and more).
// Closed: a closing delimiter line (the boundary line and "--") was read, or the body is
// one alone, which is how a form with nothing in it comes.
struct TBodyParts {
    std::vector<TFieldPart> Fields;
    std::vector<TFilePart> Files;
    bool Delimited = false;
    bool Closed = false;
};

// The longest line the parser holds whole; longer ones it reads a piece at a time.
inline constexpr std::size_t kHeldLine = 64 * 1024;

// Splits body (at most 2^31 - 1 bytes) into FormFields, whose comparison merges repeated
// names, and Found; both must be empty. Texts longer than held stay in body, and
// FormFields' TextSource must read them there (a WindowText over body, or one over the
// same bytes); held, for tests, changes kHeldLine and no result. A failure to read the
// body, or whatever isClientConnected throws, propagates, keeping what was recorded.
void ParseMultipart(BodyWindow& body, const std::function<bool()>& isClientConnected, TStringList& FormFields,
                    TBodyParts& Found, std::size_t held = kHeldLine);

// Decides, for ParseMultipart, which parts it records. It is asked about each text field
// (a part without a Content-Type line: file null) and each file part with content (file
// its entry of Found.Files) once the part is read whole, in body order, and never about
// any other part, which is always recorded. A part it refuses leaves nothing in
// FormFields or Found, so it merges into no other; the parse goes on as it would have,
// and Delimited and Closed come out the same. A filter that reads the body does so
// through a window of its own (BodyWindow::Another), never through the parser's.
class PartFilter {
public:
    virtual bool Keep(const TFieldPart& part, const TFilePart* file) = 0;

protected:
    ~PartFilter() = default;
};

// ParseMultipart recording only the parts filter keeps; whatever filter throws propagates
// as a failure to read the body does.
void ParseMultipart(BodyWindow& body, const std::function<bool()>& isClientConnected, TStringList& FormFields,
                    TBodyParts& Found, PartFilter& filter, std::size_t held = kHeldLine);

// The field name and the file name of the part whose first header line starts at
// firstHeaderLine, as the parser read them (empty where missing); a file name too long to
// hold stays in the body, for a WindowText over it to read.
struct TPartNames {
    std::string FieldName;
    TFieldText FileName;
};
TPartNames ReadPartNames(BodyWindow& body, std::int32_t firstHeaderLine);

// A field part's value: held where it is short, else left in body as its range.
TFieldText PartValue(BodyWindow& body, const TFieldPart& part);

// The record of a file part that ParseMultipart listed for body: its texts split by
// codePage's rules, the field name, and the content's range; SavedNameText stays empty.
// With decodedFrom, the texts are the header values decoded from that code page to
// UTF-8, and codePage must be UTF-8's rules.
TFileRecord DescribeFilePart(BodyWindow& body, const TFilePart& part, const CodePage& codePage,
                             const CodePage* decodedFrom = nullptr);

}  // namespace kestrune
