// ParseMultipart: splits a buffered multipart/form-data body into the form-field list
// and the first non-empty uploaded file, and optionally every one. The delimiter is the body's first line; the
// request headers are never looked at. Malformed input yields fewer or odd entries,
// never an error of the parser's own.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "base/file_record.h"
#include "base/string_list.h"
#include "host/code_page.h"

namespace kestrune {

// isClientConnected is asked at the start of every cycle of the main loop (before each
// line read outside a part); when it answers false the parser returns, keeping what it
// recorded. Whatever it throws propagates, also keeping what was recorded.
// FormFields and File must be empty; File.FileData becomes a view into body. Files, when
// given, must be empty and receives, in body order, every part that would be File if it
// came first; File equals its first entry.
void ParseMultipart(std::string_view body, const CodePage& codePage,
                    const std::function<bool()>& isClientConnected, TStringList& FormFields,
                    TFileRecord& File, std::vector<TFileRecord>* Files = nullptr);

}  // namespace kestrune
