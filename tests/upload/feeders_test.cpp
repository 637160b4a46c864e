// The same bodies through hosts that deliver in different ways. A host that delivers
// everything it is asked for gives exactly what parsing the body directly gives; one
// that delivers less gives what parsing the delivered bytes, in order and followed by
// zeros up to the total, gives. Each runs on both roads of the body: in memory, and in a
// body file.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

#include "host/posix/single_byte_code_page.h"
#include "multipart/body_text.h"
#include "multipart/multipart_parser.h"
#include "support/upload_fixture.h"
#include "upload/upload_state.h"

namespace kestrune::testing {
namespace {

struct Feeder {
    const char* label;
    std::int32_t cap;                    // at most this many bytes a pass (0: all asked)
    std::map<int, std::int32_t> passes;  // pass -> at most this many bytes
};

// Passes of sizes drawn at random, the same on every run.
std::map<int, std::int32_t> RandomPasses() {
    std::mt19937 random(15);
    std::uniform_int_distribution<std::int32_t> size(0, 102400);
    std::map<int, std::int32_t> passes;
    for (int pass = 1; pass <= 3; ++pass) passes[pass] = size(random);
    return passes;
}

const std::vector<Feeder> kFeeders = {
    {"whole passes", 0, {}},
    {"1-byte deliveries", 1, {}},
    {"7-byte deliveries", 7, {}},
    {"4093-byte deliveries", 4093, {}},
    {"second pass short", 0, {{2, 5000}}},
    {"first pass empty", 0, {{1, 0}}},
    {"random passes", 0, RandomPasses()},
};

// The buffer intake builds from such a host: passes follow the requested counts.
std::string DeliveredBuffer(const std::string& body, const Feeder& feeder) {
    const auto total = static_cast<std::int32_t>(body.size());
    std::string buffer(body.size(), '\0');
    std::size_t served = 0;
    int pass = 0;
    for (std::int32_t offset = 0; offset < total;) {
        const std::int32_t count = std::min(total - offset, 102400);
        offset += count;
        std::size_t n = std::min<std::size_t>(count, body.size() - served);
        if (feeder.cap > 0) n = std::min<std::size_t>(n, feeder.cap);
        const auto limit = feeder.passes.find(++pass);
        if (limit != feeder.passes.end()) n = std::min<std::size_t>(n, limit->second);
        std::memcpy(&buffer[served], body.data() + served, n);
        served += n;
    }
    return buffer;
}

UploadState ParsedDirectly(const std::string& buffer) {
    SingleByteCodePage codePage;
    TStringList fields(codePage);
    BodyWindow window(buffer);
    WindowText source(window);
    fields.SetTextSource(&source);
    TBodyParts found;
    ParseMultipart(
        window, [] { return true; }, fields, found);
    return StateOf(fields,
                   found.Files.empty() ? TFileRecord() : DescribeFilePart(window, found.Files[0], codePage));
}

std::vector<std::pair<std::string, std::string>> Bodies() {
    std::string big(250000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 % 251);
    std::vector<std::pair<std::string, std::string>> bodies = {
        {"small form", MultipartBody({{"title", "Hello"}, {"Title", "again"}}, "C:\\docs\\a.txt", "abc")},
        {"file across passes", MultipartBody({{"x", "1"}}, "big.bin", big)},
        {"field across passes", MultipartBody({{"long", std::string(204800, 'v')}}, "f.txt", "z")},
    };
    // Missing bodies are a failure, not fewer cases: the run would pass on less than it says.
    const std::filesystem::path corpus = KESTRUNE_CORPUS_DIR;
    if (!std::filesystem::is_directory(corpus)) {
        ADD_FAILURE() << "the browser bodies are missing: " << corpus << " is not a folder";
        return bodies;
    }
    const std::size_t ownBodies = bodies.size();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        if (entry.path().extension() != ".body") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        bodies.emplace_back(entry.path().filename().string(),
                            std::string(std::istreambuf_iterator<char>(in), {}));
    }
    if (bodies.size() == ownBodies)
        ADD_FAILURE() << "the browser bodies are missing: no .body file under " << corpus;
    return bodies;
}

std::string BodyOf(const TTessock& object) {
    BodyWindow body = object.OpenBody();
    std::string bytes(body.Size(), '\0');
    body.CopyOut(0, bytes.size(), bytes.data());
    return bytes;
}

// Both roads of the body, memory and a body file, give the same for every feeder.
TEST(Feeders, EveryFeederGivesWhatItsDeliveredBytesParseTo) {
    for (const auto& [label, body] : Bodies()) {
        const UploadState direct = ParsedDirectly(body);
        for (const auto& feeder : kFeeders) {
            for (const std::int64_t threshold : {INT64_MAX, INT64_C(0)}) {
                SCOPED_TRACE(label + " / " + feeder.label + (threshold == 0 ? " / body file" : " / memory"));
                Upload upload(body);
                upload.object.SetBodyFileThreshold(threshold);
                upload.host.SetPassCap(feeder.cap);
                for (const auto& [pass, bytes] : feeder.passes) upload.host.SetDelivery(pass, bytes);
                const TTessock& object = upload.Receive();
                // A body file with no part in it is closed as soon as intake ends.
                const bool parsed = object.FormVariableCount() > 0;
                EXPECT_EQ(threshold == 0 && parsed, object.BodyInFile());
                EXPECT_EQ("", upload.host.Output());
                const std::string buffer = DeliveredBuffer(body, feeder);
                if (parsed || threshold != 0) {
                    EXPECT_EQ(buffer, BodyOf(object));
                }
                EXPECT_EQ(ParsedDirectly(buffer), StateOf(object));
                if (buffer == body) {
                    EXPECT_EQ(direct, StateOf(object));
                }
            }
        }
    }
}

}  // namespace
}  // namespace kestrune::testing
