#include "pagehost/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "pagehost/text.h"

namespace kestrune {

std::optional<std::uint64_t> ParseDecimal(const std::wstring& text, std::uint64_t minimum,
                                          std::uint64_t maximum) {
    if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos) return std::nullopt;
    errno = 0;
    unsigned long long value = std::wcstoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value < minimum || value > maximum) return std::nullopt;
    return value;
}

std::nullopt_t RefuseCommandLine(std::wstring* error, std::wstring message) {
    *error = std::move(message);
    return std::nullopt;
}

void Complain(const std::wstring& message) {
    std::string line = "kestrune-host: " + ToUtf8(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace kestrune
