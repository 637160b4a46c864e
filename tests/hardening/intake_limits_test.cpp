// Request sizes a client or a broken host can claim: nothing to read, a negative size,
// and one whose buffer memory cannot give (failing_allocation.cpp makes sure of that).
// Then the part limits a page of the Upload class sets before Receive: which parts it
// keeps, and what it lists as rejected.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "members/form_collection.h"
#include "support/body_builder.h"
#include "support/expect_throw_msg.h"
#include "support/upload_fixture.h"

namespace kestrune::testing {
namespace {

constexpr const char* kReadError = "Error reading uploaded file or form data.";

struct ClaimedSize {
    const char* label;
    std::int32_t total;
    std::vector<std::string> calls;
    std::string output;
};

TEST(IntakeLimits, ClaimedSizesEndCleanlyAndLeaveAUsableObject) {
    const std::string body = BodyBuilder().File("f", "a.txt", "text/plain", "data").Close().Build();
    const std::vector<ClaimedSize> cases = {
        {"TotalBytes 0", 0, {"FetchRequest", "TotalBytes"}, ""},
        {"TotalBytes -1", -1, {"FetchRequest", "TotalBytes"}, ""},
        {"TotalBytes 2,147,483,647: memory cannot be had",
         INT32_MAX,
         {"FetchRequest", "TotalBytes", "FetchResponse", std::string("Write(") + kReadError + ")"},
         kReadError},
    };
    for (const ClaimedSize& claim : cases) {
        SCOPED_TRACE(claim.label);
        Upload upload(body);
        upload.object.SetBodyFileThreshold(INT64_MAX);  // the memory road's limit is the point
        upload.host.SetTotalBytes(claim.total);
        ASSERT_NO_THROW(upload.Receive());
        TTessock& object = upload.object;
        EXPECT_EQ(upload.host.Calls(), claim.calls);
        EXPECT_EQ(upload.host.Output(), claim.output);
        EXPECT_EQ(object.FormVariableCount(), 0);
        EXPECT_EQ(object.FormVariable("f"), "");
        EXPECT_THROW_MSG(object.FormVariableByIndex(0), EUploadError, "Index out of range.");
        EXPECT_THROW_MSG(object.FormVariableByIndex(-1), EListError, "List index out of bounds (-1)");
        EXPECT_EQ(object.FileSize(), 0);
        EXPECT_EQ(object.Filename(), "");
        EXPECT_THROW_MSG(object.SaveFile("up/a.txt"), EUploadError, "Error. No file received.");
        EXPECT_TRUE(upload.files.Files().empty());
    }
}

// A file part of over 1 GiB with no CR LF and no delimiter after it, in a body file: the
// parser reads its content on as one line, which it only compares with the boundary line.
// Kept whole, that line would be a string larger than any allocation here may be, and
// intake would end with the read error. The bytes past the head are the zeros of a
// client that announced more than it sent, so the test writes no gigabyte anywhere.
TEST(IntakeLimits, AGigabyteLineOfABodyFileCostsNoGigabyte) {
    const std::string head =
        "--XyZ\r\nContent-Disposition: form-data; name=\"f\"; filename=\"a.bin\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n";
    Upload upload(head);
    upload.object.SetBodyFileThreshold(0);
    upload.host.SetTotalBytes((1 << 30) + (64 << 20));
    upload.Receive();
    EXPECT_TRUE(upload.object.BodyInFile());
    EXPECT_EQ(upload.host.Output(), "");
    EXPECT_EQ(upload.object.FormVariable("f"), "a.bin");
    EXPECT_EQ(upload.object.FileSize(), 0);
}

IntakeLimits Limits(std::int32_t maxFileBytes, std::int32_t maxFiles, std::int32_t maxFields,
                    std::int32_t maxFieldBytes, std::string extensions = {}) {
    IntakeLimits limits;
    limits.MaxFileBytes = maxFileBytes;
    limits.MaxFiles = maxFiles;
    limits.MaxFields = maxFields;
    limits.MaxFieldBytes = maxFieldBytes;
    limits.AllowedExtensions = std::move(extensions);
    return limits;
}

constexpr RejectReason kFileTooLarge = RejectReason::FileTooLarge;
constexpr RejectReason kTooManyFiles = RejectReason::TooManyFiles;
constexpr RejectReason kTooManyFields = RejectReason::TooManyFields;
constexpr RejectReason kFieldTooLong = RejectReason::FieldTooLong;
constexpr RejectReason kExtension = RejectReason::ExtensionNotAllowed;

// A rejected part as one comparable, printable text.
std::string Text(const RejectedPart& part) {
    return "{" + part.FieldName + ", " + part.Filename + ", " + std::to_string(part.Size) + ", " +
           std::to_string(static_cast<int>(part.Reason)) + "}";
}

std::vector<std::string> Texts(const std::vector<RejectedPart>& parts) {
    std::vector<std::string> texts;
    for (const RejectedPart& part : parts) texts.push_back(Text(part));
    return texts;
}

// A file input with one byte of content per character of content.
BodyBuilder& File(BodyBuilder& body, const char* field, const char* fileName, const char* content = "x") {
    return body.File(field, fileName, "application/octet-stream", content);
}

// The Unicode road over a Windows-1252 body, whose names split as single bytes.
TextRules UnicodeRules() { return TextRules(65001, std::make_shared<SingleByteCodePage>(), SingleByte()); }

struct LimitsCase {
    const char* label;
    std::string body;
    IntakeLimits limits;
    std::vector<std::string> lines;  // the form-field list
    std::vector<std::string> files;  // the kept files' names, in order
    std::vector<RejectedPart> rejected;
};

std::vector<LimitsCase> LimitsCases() {
    using B = BodyBuilder;
    B b;
    return {
        {"MaxFileBytes: a file of the limit is kept, one of a byte more is not",
         File(File(File(b = B(), "a", "3.bin", "xxx"), "b", "4.bin", "xxxx"), "c", "5.bin", "xxxxx")
             .Close()
             .Build(),
         Limits(4, 0, 0, 0),
         {"a=3.bin", "b=4.bin"},
         {"3.bin", "4.bin"},
         {{"c", "5.bin", 5, kFileTooLarge}}},
        {"MaxFiles: the files past the limit are not kept",
         File(File(File(b = B(), "a", "a.bin"), "b", "b.bin"), "c", "c.bin").Close().Build(),
         Limits(0, 2, 0, 0),
         {"a=a.bin", "b=b.bin"},
         {"a.bin", "b.bin"},
         {{"c", "c.bin", 1, kTooManyFiles}}},
        {"a file too large leaves its place to a later one; Rejected in body order",
         File(File(File(b = B(), "a", "a.bin", "big"), "b", "b.bin"), "c", "c.bin").Close().Build(),
         Limits(1, 1, 0, 0),
         {"b=b.bin"},
         {"b.bin"},
         {{"a", "a.bin", 3, kFileTooLarge}, {"c", "c.bin", 1, kTooManyFiles}}},
        {"MaxFieldBytes: a value of the limit is kept, one of a byte more is not",
         B().Field("v2", "ab").Field("v3", "abc").Field("v4", "abcd").Close().Build(),
         Limits(0, 0, 0, 3),
         {"v2=ab", "v3=abc"},
         {},
         {{"v4", "", 4, kFieldTooLong}}},
        {"MaxFieldBytes counts a value's line break as its two bytes",
         B().Field("m", "a\r\nb").Field("n", "a\nb").Field("k", "abc").Close().Build(),
         Limits(0, 0, 0, 3),
         {"k=abc"},
         {},
         {{"m", "", 4, kFieldTooLong}, {"n", "", 4, kFieldTooLong}}},
        {"MaxFields: files and empty file inputs are no fields, and leave room for them",
         File(File(b = B(), "f", "f.bin").Field("a", "1"), "e", "", "")
             .Field("b", "2")
             .Field("c", "3")
             .Close()
             .Build(),
         Limits(0, 1, 2, 0),
         {"f=f.bin", "a=1", "e=", "b=2"},
         {"f.bin"},
         {{"c", "", 1, kTooManyFields}}},
        {"a field too long leaves its place to a later one",
         B().Field("a", "long").Field("b", "1").Field("c", "2").Close().Build(),
         Limits(0, 0, 1, 1),
         {"b=1"},
         {},
         {{"a", "", 4, kFieldTooLong}, {"c", "", 1, kTooManyFields}}},
        {"a refused value merges into no kept one, and a refused name is nowhere",
         B().Field("n", "1").Field("x", "22").Field("n", "22").Field("N", "3").Close().Build(),
         Limits(0, 0, 0, 1),
         {"N=1, 3"},
         {},
         {{"x", "", 2, kFieldTooLong}, {"n", "", 2, kFieldTooLong}}},
        {"AllowedExtensions judges the safe name, not the raw one",
         File(File(File(File(b = B(), "a", "x.asp;.jpg"), "b", "a.JPG"), "c", "a.png"), "d", "x.jpg.asp")
             .Close()
             .Build(),
         Limits(0, 0, 0, 0, "jpg"),
         {"a=x.asp;.jpg", "b=a.JPG"},
         {"x.asp;.jpg", "a.JPG"},
         {{"c", "a.png", 1, kExtension}, {"d", "x.jpg.asp", 1, kExtension}}},
        {"the trailing dot a stored name loses, and a name without an extension",
         File(File(File(b = B(), "a", "page.asp."), "b", "page"), "c", "C:\\up\\page.asp ").Close().Build(),
         Limits(0, 0, 0, 0, " .ASP ;"),
         {"a=page.asp.", "c=C:\\up\\page.asp "},
         {"page.asp.", "page.asp "},
         {{"b", "page", 1, kExtension}}},
        {"Rejected gives the file name as FileAt does: without its path",
         File(b = B(), "a", "C:\\up\\b.gif").Close().Build(),
         Limits(0, 0, 0, 0, "jpg"),
         {},
         {},
         {{"a", "b.gif", 1, kExtension}}},
        {"the extension is judged before the size and the count",
         File(File(File(File(b = B(), "a", "a.jpg"), "b", "b.png", "big"), "c", "c.jpg", "big"), "d", "d.jpg")
             .Close()
             .Build(),
         Limits(2, 1, 0, 0, "jpg"),
         {"a=a.jpg"},
         {"a.jpg"},
         {{"b", "b.png", 3, kExtension}, {"c", "c.jpg", 3, kFileTooLarge}, {"d", "d.jpg", 1, kTooManyFiles}}},
        {"a list of separators alone is the default policy, which refuses what runs",
         File(File(b = B(), "a", "a.exe"), "b", "b.txt").Close().Build(),
         Limits(0, 0, 0, 0, " ; "),
         {"b=b.txt"},
         {"b.txt"},
         {{"a", "a.exe", 1, kExtension}}},
        {"an empty file input is no file: no limit applies to it",
         File(File(File(b = B(), "e", "e.exe", ""), "f", "", ""), "a", "a.jpg").Close().Build(),
         Limits(1, 1, 1, 1, "jpg"),
         {"e=e.exe", "f=", "a=a.jpg"},
         {"a.jpg"},
         {}},
        {"a filename without a Content-Type line is a text field",
         B().Delimiter()
             .Line("Content-Disposition: form-data; name=\"t\"; filename=\"t.exe\"")
             .Line("")
             .Line("abcd")
             .Delimiter()
             .Line("Content-Disposition: form-data; name=\"u\"; filename=\"u.exe\"")
             .Line("")
             .Line("ab")
             .Close()
             .Build(),
         Limits(0, 0, 0, 3, "jpg"),
         {"u=u.exe"},
         {},
         {{"t", "", 4, kFieldTooLong}}},
        {"limits below zero are no limits",
         File(b = B().Field("a", "long"), "f", "f.exe", "big").Close().Build(),
         Limits(-1, -1, -1, -1),
         {"a=long", "f=f.exe"},
         {"f.exe"},
         {}},
        {"every part refused: the body stays for Rejected to read",
         File(b = B(), "f", "f.bin", "big").Close().Build(),
         Limits(1, 0, 0, 0),
         {},
         {},
         {{"f", "f.bin", 3, kFileTooLarge}}},
    };
}

// What the page sees of the kept parts, by every member that lists them.
void ExpectOnlyKept(const TTessock& object, const LimitsCase& c) {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < object.FieldList().Count(); ++i) lines.push_back(object.FieldList().Line(i));
    EXPECT_EQ(c.lines, lines);
    EXPECT_EQ(static_cast<std::int32_t>(c.lines.size()), object.FormVariableCount());
    std::vector<std::string> files;
    for (std::int32_t i = 0; i < object.FileCount(); ++i) files.push_back(object.FileAt(i).FileNameText);
    EXPECT_EQ(c.files, files);
    EXPECT_EQ(c.files.empty() ? "" : c.files.front(), object.Filename());
    // A refused value in the Form collection would show in its joined text, which the
    // list's merged value does not have.
    const FormCollection& form = object.Form();
    for (const RejectedPart& rejected : c.rejected) {
        const std::int32_t at = form.IndexOf(rejected.FieldName);
        const std::string value = object.FormVariable(rejected.FieldName);
        EXPECT_EQ(at < 0 ? "" : form.Joined(at), value) << rejected.FieldName;
        if (!rejected.Filename.empty()) {
            EXPECT_EQ(-1, object.FileIndexOf(rejected.FieldName)) << rejected.FieldName;
        }
    }
}

TEST(IntakeLimits, ReceiveKeepsOnlyThePartsWithinTheLimits) {
    for (const LimitsCase& c : LimitsCases()) {
        for (const bool bodyFile : {false, true}) {
            SCOPED_TRACE(std::string(c.label) + (bodyFile ? " (body file)" : " (memory)"));
            Upload upload(c.body);
            TTessock& object = upload.object;
            object.SetBodyFileThreshold(bodyFile ? 0 : INT64_MAX);
            object.SetLimits(c.limits);
            object.Receive();
            EXPECT_EQ(ReadError::None, object.Read().Error);
            EXPECT_EQ(bodyFile, object.BodyInFile());
            ExpectOnlyKept(object, c);
            std::vector<RejectedPart> rejected;
            for (std::int32_t i = 0; i < object.RejectedCount(); ++i)
                rejected.push_back(object.RejectedAt(i));
            EXPECT_EQ(Texts(c.rejected), Texts(rejected));
            EXPECT_THROW_MSG(object.RejectedAt(object.RejectedCount()), EUploadError, "Index out of range.");
            EXPECT_THROW_MSG(object.RejectedAt(-1), EListError, "List index out of bounds (-1)");
            // The Unicode road lists the kept parts alone too (the bodies are ASCII).
            object.SetTextRules(UnicodeRules());
            EXPECT_EQ(static_cast<std::int32_t>(c.lines.size()), object.FormVariableCount());
            for (std::size_t i = 0; i < c.lines.size(); ++i)
                EXPECT_EQ(c.lines[i].substr(c.lines[i].find('=') + 1),
                          object.FormVariableByIndex(static_cast<std::int32_t>(i)));
        }
    }
}

// Rejected's texts, as FileAt's, follow the rules in force when they are read; the
// extensions are judged by those in force at the read, on the Unicode road on the names
// decoded (a page's list is in UTF-8 there).
TEST(IntakeLimits, TextsFollowTheRules) {
    Upload upload(BodyBuilder().Field("\xE9", "long").File("\xE0", "\xE8.bin", "t/t", "big").Close().Build());
    upload.object.SetLimits(Limits(1, 0, 0, 1));
    upload.object.Receive();
    ASSERT_EQ(2, upload.object.RejectedCount());
    EXPECT_EQ(Text(RejectedPart{"\xE9", "", 4, kFieldTooLong}), Text(upload.object.RejectedAt(0)));
    EXPECT_EQ(Text(RejectedPart{"\xE0", "\xE8.bin", 3, kFileTooLarge}), Text(upload.object.RejectedAt(1)));
    upload.object.SetTextRules(UnicodeRules());
    EXPECT_EQ(Text(RejectedPart{"\xC3\xA9", "", 4, kFieldTooLong}), Text(upload.object.RejectedAt(0)));
    EXPECT_EQ(Text(RejectedPart{"\xC3\xA0", "\xC3\xA8.bin", 3, kFileTooLarge}),
              Text(upload.object.RejectedAt(1)));

    Upload decoded(
        BodyBuilder().File("f", "a.\xE9", "t/t", "x").File("g", "b.\xC3\xA9", "t/t", "x").Close().Build());
    decoded.object.SetTextRules(UnicodeRules());
    decoded.object.SetLimits(Limits(0, 0, 0, 0, "\xC3\xA9"));
    decoded.object.Receive();
    ASSERT_EQ(1, decoded.object.FileCount());
    EXPECT_EQ("a.\xC3\xA9", decoded.object.FileAt(0).FileNameText);
    ASSERT_EQ(1, decoded.object.RejectedCount());
    EXPECT_EQ(Text(RejectedPart{"g", "b.\xC3\x83\xC2\xA9", 1, kExtension}),
              Text(decoded.object.RejectedAt(0)));
}

}  // namespace
}  // namespace kestrune::testing
