// TTessock's first file, the Unicode road's field list, the Form collection, the change
// of text rules and the held texts that outlive it.
#include "members/form_collection.h"
#include "members/system_file_names.h"
#include "members/unicode_fields.h"
#include "upload/tessock.h"

namespace kestrune {

TFileRecord TTessock::FileRecord() const {
    if (Parts.Files.empty()) return TFileRecord();
    // The members of the file ask for it one text at a time: it is described once per
    // setting of the rules, and only its saved name is looked up each time.
    if (!firstFile_) {
        BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
        firstFile_ = std::make_unique<TFileRecord>(DescribeFileAt(body, 0));
    }
    TFileRecord record = *firstFile_;
    record.SavedNameText = NewNameAt(0);
    return record;
}

const UnicodeFields& TTessock::UnicodeFieldList() const {
    if (!unicodeFields_) {
        BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
        unicodeFields_ = std::make_unique<UnicodeFields>(body, Parts, rules_, bodyText_);
    }
    return *unicodeFields_;
}

const FormCollection& TTessock::Form() const {
    if (!form_) {
        BodyWindow body = OpenBody(BodyWindow::kLineCapacity);
        form_ = std::make_unique<FormCollection>(body, Parts, rules_, bodyText_, body_);
    }
    return *form_;
}

std::string TTessock::InRules(const HeldText& held, bool* exact) const {
    if (exact != nullptr) *exact = held.exact;
    if (held.unicode == Unicode()) return held.text;
    if (Unicode()) return codePage_.ToUtf8(held.text);
    std::string text = codePage_.FromUtf8(held.text);
    // A character the system's code page lacks came out as another one.
    if (exact != nullptr && codePage_.ToUtf8(text) != held.text) *exact = false;
    return text;
}

void TTessock::SetTextRules(TextRules rules) {
    // Held texts stay as they were given; they are converted where they are used.
    rules_ = std::move(rules);
    unicodeFields_.reset();
    form_.reset();
    systemFileNames_.reset();
    firstFile_.reset();
}

}  // namespace kestrune
