// Form fields by name and by position. The list's indexes stand in for the walks over
// every line: the last line whose ASCII-upper-cased name equals the query decides the
// name, and the value is that of the first line with that name under the list's own
// comparison. On the Unicode road (members/unicode_texts.cpp) the same rule walks the lines.
#include "base/exceptions.h"
#include "upload/tessock.h"

namespace kestrune {

std::string TTessock::FormVariable(std::string_view VariableName) const {
    if (unicode_) return UnicodeFormVariable(VariableName);
    const std::int32_t last = FormFields.LastIndexOfAsciiUpperName(AsciiUpperCase(VariableName));
    if (last < 0) return {};
    return FormFields.Value(FormFields.Name(last));
}

std::int32_t TTessock::FormVariableCount() const { return FormFields.Count(); }

std::string TTessock::FormVariableByIndex(std::int32_t Index) const {
    // Signed on purpose: a negative index passes here and meets the list's own bounds error.
    if (Index > FormFields.Count() - 1) throw EUploadError(kIndexOutOfRange);
    std::string value = FormFields.Value(FormFields.Name(Index));
    if (unicode_) return bodyPage_->ToUtf8(value);
    return value;
}

}  // namespace kestrune
