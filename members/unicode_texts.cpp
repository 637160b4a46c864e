// The Unicode road of TTessock: its file texts, its lookup by name, and the change of road.
#include "upload/tessock.h"

namespace kestrune {

TFileRecord TTessock::FirstFile() const {
    if (FileList.empty()) return File;  // no file: every text empty
    TFileRecord record = FileAt(0);
    record.SavedNameText = File.SavedNameText;
    return record;
}

std::string TTessock::UnicodeFormVariable(std::string_view VariableName) const {
    // The ANSI road's rule over Unicode names: the last line whose name equals the query
    // (case-insensitively, non-ASCII letters too) decides the name; the value is that of
    // the first line with that name under the list's own comparison. A walk, where the
    // ANSI road has indexes: the list keys its names as bytes of the system's code page.
    for (std::int32_t i = FormFields.Count() - 1; i >= 0; --i) {
        const std::string_view name = FormFields.Name(i);
        if (utf8Page_->NamesEqual(bodyPage_->ToUtf8(name), VariableName)) {
            return bodyPage_->ToUtf8(FormFields.Value(name));
        }
    }
    return {};
}

void TTessock::ConvertHeldTexts(std::string (CodePage::*convert)(std::string_view) const) {
    OverwriteMarker = (codePage_.*convert)(OverwriteMarker);
    File.SavedNameText = (codePage_.*convert)(File.SavedNameText);
    for (std::string& name : SavedNames) name = (codePage_.*convert)(name);
}

void TTessock::UseUnicodeTexts(const CodePage& bodyPage, const CodePage& utf8Page) {
    if (!unicode_) ConvertHeldTexts(&CodePage::ToUtf8);
    unicode_ = true;
    bodyPage_ = &bodyPage;
    utf8Page_ = &utf8Page;
}

void TTessock::UseAnsiTexts() {
    if (unicode_) ConvertHeldTexts(&CodePage::FromUtf8);
    unicode_ = false;
    bodyPage_ = nullptr;
    utf8Page_ = nullptr;
}

}  // namespace kestrune
