#pragma once
// The one error a page translation can end with: what went wrong and where.

#include <stdexcept>
#include <string>

namespace kestrune {

class EPageError : public std::runtime_error {
public:
    // file is the site path of the page or include ("/inc/menu.inc"); line is 1-based,
    // 0 when the error belongs to the file as a whole.
    EPageError(const std::string& message, std::string file, int line)
        : std::runtime_error(message), file_(std::move(file)), line_(line) {}

    const std::string& File() const { return file_; }
    int Line() const { return line_; }

private:
    std::string file_;
    int line_;
};

}  // namespace kestrune
