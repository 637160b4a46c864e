// The Unicode road of TTessock: its first file's texts, its field list, and the change of
// text rules.
#include "members/system_file_names.h"
#include "members/unicode_fields.h"
#include "upload/tessock.h"

namespace kestrune {

TFileRecord TTessock::FirstFile() const {
    if (FileList.empty()) return File;  // no file: every text empty
    TFileRecord record = FileAt(0);
    record.SavedNameText = File.SavedNameText;
    return record;
}

const UnicodeFields& TTessock::UnicodeFieldList() const {
    if (!unicodeFields_) {
        BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
        unicodeFields_ = std::make_unique<UnicodeFields>(body, FieldParts, FileList, rules_);
    }
    return *unicodeFields_;
}

void TTessock::SetTextRules(TextRules rules) {
    // What the object holds goes from the old rules' texts to the new ones'.
    const auto convert = [&](std::string& text) {
        if (rules_.IsUnicode() == rules.IsUnicode()) return;
        text = rules.IsUnicode() ? codePage_.ToUtf8(text) : codePage_.FromUtf8(text);
    };
    convert(OverwriteMarker);
    convert(File.SavedNameText);
    for (std::string& name : SavedNames) convert(name);
    rules_ = std::move(rules);
    unicodeFields_.reset();
    systemFileNames_.reset();
}

}  // namespace kestrune
