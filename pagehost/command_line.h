// What both modes of kestrune-host.exe share on the command line: numbers in arguments,
// and complaints to the user on stderr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrune {

// A decimal number of digits only, within minimum..maximum; nothing otherwise.
std::optional<std::uint64_t> ParseDecimal(const std::wstring& text, std::uint64_t minimum,
                                          std::uint64_t maximum);

// What an option parser returns for a command line it refuses: no options, and message
// for the user in *error.
std::nullopt_t RefuseCommandLine(std::wstring* error, std::wstring message);

// "kestrune-host: MESSAGE" on a line of stderr, at once.
void Complain(const std::wstring& message);

}  // namespace kestrune
