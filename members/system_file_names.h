// SystemFileNames: Files(name) on the system road, by the rule FormVariable keeps there.
// The last file whose field name, upper-cased by ASCII rules, equals the name asked for
// (also upper-cased) names the file; the answer is the first file whose field name
// equals that one under the system's comparison. Indexed, so that a lookup costs the same
// however many files there are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/code_page.h"
#include "multipart/body_window.h"
#include "multipart/multipart_parser.h"

namespace kestrune {

class SystemFileNames {
public:
    SystemFileNames(BodyWindow& body, const std::vector<TFilePart>& files, const CodePage& system);

    // Position of the file for name; -1 when there is none.
    std::int32_t IndexOf(std::string_view name) const;

private:
    std::vector<std::string> keys_;  // by position
    std::unordered_map<std::string, std::int32_t> lastByUpperName_;
    std::unordered_map<std::string, std::int32_t> firstByKey_;
};

}  // namespace kestrune
