// Form fields by name and by position. On the system road the list's indexes stand in
// for the walks over every line: the last line whose ASCII-upper-cased name equals the
// query decides the name, and the value is that of the first line with that name under
// the list's own comparison. The Unicode road answers from its own list (UnicodeFields).
#include "base/exceptions.h"
#include "members/unicode_fields.h"
#include "upload/tessock.h"

namespace kestrune {

std::string TTessock::FormVariable(std::string_view VariableName) const {
    if (Unicode()) return UnicodeFieldList().Value(VariableName);
    const std::int32_t last = FormFields.LastIndexOfAsciiUpperName(AsciiUpperCase(VariableName));
    if (last < 0) return {};
    return FormFields.Value(FormFields.Name(last));
}

std::int32_t TTessock::FormVariableCount() const {
    return Unicode() ? UnicodeFieldList().Count() : FormFields.Count();
}

std::string TTessock::FormVariableByIndex(std::int32_t Index) const {
    // Signed on purpose: a negative index passes here and meets the list's own bounds error.
    if (Index > FormVariableCount() - 1) throw EUploadError(kIndexOutOfRange);
    if (Index < 0) TStringList::RaiseBoundsError(Index);
    if (Unicode()) return UnicodeFieldList().ValueAt(Index);
    return FormFields.Value(FormFields.Name(Index));
}

}  // namespace kestrune
