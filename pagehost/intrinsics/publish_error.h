// The error object a failing member leaves on its thread: the script engine shows its
// source and description, and the component passes the description on.
#pragma once

#include <string>

namespace kestrune {

void PublishError(const wchar_t* source, const std::wstring& description);

}  // namespace kestrune
