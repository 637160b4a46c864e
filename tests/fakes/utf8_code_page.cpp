#include "fakes/utf8_code_page.h"

#include "fakes/breach.h"

namespace kestrune {

bool Utf8CodePage::NamesEqual(std::string_view a, std::string_view b) const {
    testing::ReportBreach("Utf8CodePage::NamesEqual");
    return a == b;
}

std::string Utf8CodePage::NameKey(std::string_view name) const {
    testing::ReportBreach("Utf8CodePage::NameKey");
    return std::string(name);
}

std::string Utf8CodePage::ToUtf8(std::string_view text) const {
    testing::ReportBreach("Utf8CodePage::ToUtf8");
    return std::string(text);
}

std::string Utf8CodePage::FromUtf8(std::string_view utf8) const {
    testing::ReportBreach("Utf8CodePage::FromUtf8");
    return std::string(utf8);
}

std::string Utf8CodePage::OrdinalNameKey(std::string_view utf8) const {
    testing::ReportBreach("Utf8CodePage::OrdinalNameKey");
    return std::string(utf8);
}

}  // namespace kestrune
