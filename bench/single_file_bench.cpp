// One file in one body: the parser against the two in-run baselines it is judged by
// (a memchr-plus-memcmp scan for the delimiter over the same bytes, and memcpy), and
// object creation (intake plus parse) against a copy into fresh memory, and creation on
// the body-file road against the in-memory road.
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/file_record.h"
#include "base/string_list.h"
#include "bench/bench_bodies.h"
#include "host/posix/body_host.h"
#include "bench/scan_baseline.h"
#include "host/posix/posix_file_system.h"
#include "host/posix/posix_hashing.h"
#include "host/posix/single_byte_code_page.h"
#include "multipart/multipart_parser.h"
#include "upload/tessock.h"

namespace kestrune::bench {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

const std::string& CachedBody(Content content, std::uint64_t size) {
    static std::map<std::pair<Content, std::uint64_t>, std::string> bodies;
    auto found = bodies.find({content, size});
    if (found == bodies.end())
        found =
            bodies.emplace(std::make_pair(content, size), SingleFileBody(content, size).Materialize()).first;
    return found->second;
}

void Scan(benchmark::State& state, Content content, std::uint64_t size) {
    const std::string& body = CachedBody(content, size);
    for (auto _ : state) benchmark::DoNotOptimize(ScanForDelimiter(body, kDelimiter));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void Parse(benchmark::State& state, Content content, std::uint64_t size) {
    const std::string& body = CachedBody(content, size);
    const SingleByteCodePage codePage;
    const std::function<bool()> connected = [] { return true; };
    {
        TStringList fields(codePage);
        BodyWindow window(body);
        TBodyParts found;
        ParseMultipart(window, connected, fields, found);
        if (found.Files.empty() || static_cast<std::uint64_t>(found.Files[0].DataSize) !=
                                       SingleFileBody(content, size).ContentSize()) {
            state.SkipWithError("the parser did not keep the whole file");
            return;
        }
    }
    for (auto _ : state) {
        TStringList fields(codePage);
        BodyWindow window(body);
        TBodyParts found;
        ParseMultipart(window, connected, fields, found);
        benchmark::DoNotOptimize(found.Files.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void CopyTouched(benchmark::State& state, std::uint64_t size) {
    const std::string& source = CachedBody(Content::Random, size);
    std::vector<char> destination(source.size(), 1);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), source.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

// Fresh pages each time, as a new request body gets them: the page faults are the cost.
void CopyFresh(benchmark::State& state, std::uint64_t size) {
    const std::string& source = CachedBody(Content::Random, size);
    for (auto _ : state) {
        void* destination =
            mmap(nullptr, source.size(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (destination == MAP_FAILED) {
            state.SkipWithError("mmap failed");
            break;
        }
        std::memcpy(destination, source.data(), source.size());
        benchmark::ClobberMemory();
        munmap(destination, source.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}

// threshold: the body-file threshold, kBodyFileThreshold as shipped or one above any body
// for the in-memory road.
void Create(benchmark::State& state, Content content, std::uint64_t size, std::int64_t threshold) {
    const std::string& body = CachedBody(content, size);
    const SingleByteCodePage codePage;
    PosixFileSystem fileSystem;
    const PosixHashing hashing;
    for (auto _ : state) {
        BodyHost host(body);
        TTessock upload(host, codePage, fileSystem, hashing);
        upload.SetBodyFileThreshold(threshold);
        upload.Initialize();
        if (static_cast<std::size_t>(upload.FileSize()) != SingleFileBody(content, size).ContentSize()) {
            state.SkipWithError("the object did not keep the whole file");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

int Register() {
    const std::pair<std::uint64_t, const char*> sizes[] = {{kMiB, "1MiB"}, {100 * kMiB, "100MiB"}};
    for (const auto& [size, sizeName] : sizes) {
        const std::string s = sizeName;
        benchmark::RegisterBenchmark(("memcpy_touched/" + s).c_str(), CopyTouched, size)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("memcpy_fresh/" + s).c_str(), CopyFresh, size)
            ->Unit(benchmark::kMillisecond);
        for (Content content : {Content::Random, Content::Text}) {
            const std::string suffix = std::string(ContentName(content)) + "/" + s;
            benchmark::RegisterBenchmark(("scan/" + suffix).c_str(), Scan, content, size)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("parse/" + suffix).c_str(), Parse, content, size)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark(("create/random/" + s).c_str(), Create, Content::Random, size,
                                     std::numeric_limits<std::int64_t>::max())
            ->Unit(benchmark::kMillisecond);
        if (size >= static_cast<std::uint64_t>(kBodyFileThreshold))
            benchmark::RegisterBenchmark(("create_body_file/random/" + s).c_str(), Create, Content::Random,
                                         size, kBodyFileThreshold)
                ->Unit(benchmark::kMillisecond);
    }
    return 0;
}

[[maybe_unused]] const int registered = Register();

}  // namespace
}  // namespace kestrune::bench
