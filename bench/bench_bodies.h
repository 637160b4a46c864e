// Request bodies for the benchmarks, laid out the way browsers send them (a 40-byte
// delimiter line of dashes and a random tail, CRLF line ends).
//
// A single-file body can be read at any offset without ever being held whole, so the
// peak-memory probe can serve a 100 MiB upload from a host that makes it on the fly;
// the in-process benchmarks materialise the very same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrune::bench {

// The delimiter line as it stands in the body, without its CRLF.
constexpr std::string_view kDelimiter = "------BenchFormBoundaryq7Rk2XwY0pLm3NsAz";
static_assert(kDelimiter.size() == 40, "browser-style delimiter lines are 40 bytes");

enum class Content { Random, Text };

const char* ContentName(Content content);

class SingleFileBody {
public:
    // A body of exactly size bytes: one file part whose content fills what the part's
    // headers and the closing delimiter leave.
    SingleFileBody(Content content, std::uint64_t size);

    std::uint64_t Size() const { return size_; }
    std::uint64_t ContentSize() const { return size_ - head_.size() - tail_.size(); }

    // Writes the body's bytes offset .. offset+count-1 (all inside the body) to destination.
    void Read(std::uint64_t offset, std::size_t count, char* destination) const;

    std::string Materialize() const;

private:
    void ReadContent(std::uint64_t offset, std::size_t count, char* destination) const;

    Content content_;
    std::uint64_t size_;
    std::string head_;
    std::string tail_;
};

// A body of about size bytes whose bulk is one long text where shape says (see
// kestrune-bench-memory); made on the fly, never held. Size() is 0 for an unknown shape.
class ShapedBody {
public:
    ShapedBody(const std::string& shape, std::uint64_t size);

    std::uint64_t Size() const { return head_.size() + bulk_ + tail_.size(); }
    // The number of lines the form-field list gets from it.
    std::int32_t Fields() const { return fields_; }
    void Read(std::uint64_t offset, std::size_t count, char* destination) const;

private:
    std::string head_;
    std::uint64_t bulk_ = 0;
    std::string pattern_;  // the bulk repeats it
    std::string tail_;
    std::int32_t fields_ = 1;
};

// The name of field index in FieldsBody: "field" and six digits.
std::string FieldName(int index);

// count distinct small text fields ("fieldNNNNNN" = "valueNNNNNN").
std::string FieldsBody(int count);

// count small file parts of fileSize text bytes each.
std::string SmallFilesBody(int count, std::size_t fileSize);

}  // namespace kestrune::bench
