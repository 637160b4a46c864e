// Many parts in one body: recording and reading form fields must cost the same per
// field however many there are, and a body of many small files must not slow the scan.
// Listing every file must cost little beyond keeping the first, and reading the list
// must cost the same per file however long it is.
//
// Linearity is judged against ten objects of a tenth of the fields each, handled in the
// same iteration: the same number of fields and the same memory footprint, with reads
// taking turns between the ten objects, so the cache misses of a big index are paid
// alike and only a cost that grows with the length of one list (a list walk would be
// ten times slower) tells the two apart.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
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

constexpr int kFileCount = 1000;
constexpr std::size_t kSmallFileSize = 1024;

// copies bodies of count fields each, every one in memory of its own.
std::vector<std::string> FieldsBodies(int count, int copies) {
    return std::vector<std::string>(static_cast<std::size_t>(copies), FieldsBody(count));
}

const std::string& CachedFilesBody() {
    static const std::string body = SmallFilesBody(kFileCount, kSmallFileSize);
    return body;
}

void ParseFields(benchmark::State& state, int count, int copies) {
    const std::vector<std::string> bodies = FieldsBodies(count, copies);
    const SingleByteCodePage codePage;
    const std::function<bool()> connected = [] { return true; };
    for (auto _ : state) {
        std::vector<TStringList> lists;
        lists.reserve(bodies.size());
        for (const std::string& body : bodies) {
            BodyWindow window(body);
            TBodyParts found;
            ParseMultipart(window, connected, lists.emplace_back(codePage), found);
            if (lists.back().Count() != count) state.SkipWithError("the parser lost fields");
        }
    }
    state.SetItemsProcessed(state.iterations() * count * copies);
}

// Reads every field of copies objects, each made from a body of count fields, by index
// or by name; on the Unicode road (UTF-8 taken for the system's single-byte page, whose
// rules fold ASCII letters as UTF-8's do) where unicode says so.
void ReadFields(benchmark::State& state, int count, int copies, bool byName, bool unicode) {
    const std::vector<std::string> bodies = FieldsBodies(count, copies);
    const SingleByteCodePage codePage;
    PosixFileSystem fileSystem;
    const PosixHashing hashing;
    std::vector<std::unique_ptr<BodyHost>> hosts;
    std::vector<std::unique_ptr<TTessock>> uploads;
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(FieldName(i));
    for (const std::string& body : bodies) {
        hosts.push_back(std::make_unique<BodyHost>(body));
        uploads.push_back(std::make_unique<TTessock>(*hosts.back(), codePage, fileSystem, hashing));
        uploads.back()->Initialize();
        if (unicode)
            uploads.back()->SetTextRules(TextRules(65001, std::make_shared<SingleByteCodePage>(), codePage));
        if (uploads.back()->FormVariableCount() != count ||
            uploads.back()->FormVariable(names.back()) != "value" + names.back().substr(5)) {
            state.SkipWithError("the object did not record every field");
            return;
        }
    }
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            for (const auto& upload : uploads) {
                if (byName)
                    benchmark::DoNotOptimize(upload->FormVariable(names[static_cast<std::size_t>(i)]));
                else
                    benchmark::DoNotOptimize(upload->FormVariableByIndex(i));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * count * copies);
}

void ScanFiles(benchmark::State& state) {
    const std::string& body = CachedFilesBody();
    for (auto _ : state) benchmark::DoNotOptimize(ScanForDelimiter(body, kDelimiter));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void ParseFiles(benchmark::State& state) {
    const std::string& body = CachedFilesBody();
    const SingleByteCodePage codePage;
    const std::function<bool()> connected = [] { return true; };
    for (auto _ : state) {
        TStringList fields(codePage);
        BodyWindow window(body);
        TBodyParts found;
        ParseMultipart(window, connected, fields, found);
        if (found.Files.empty() || found.Files[0].DataSize != kSmallFileSize) {
            state.SkipWithError("the parser did not keep the first file");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

// Creation with every file listed, against creation as it was before the list: the same
// intake of the body (a copy into memory sized once) and a parse that keeps the first file.
void CreateFiles(benchmark::State& state, bool everyFile) {
    const std::string& body = CachedFilesBody();
    const SingleByteCodePage codePage;
    PosixFileSystem fileSystem;
    const PosixHashing hashing;
    const std::function<bool()> connected = [] { return true; };
    for (auto _ : state) {
        if (everyFile) {
            BodyHost host(body);
            TTessock upload(host, codePage, fileSystem, hashing);
            upload.Initialize();
            if (upload.FileCount() != kFileCount) state.SkipWithError("the object did not list every file");
            continue;
        }
        TMemoryStream copy;
        copy.SetSize(static_cast<std::int32_t>(body.size()));
        std::memcpy(copy.WritePointer(), body.data(), body.size());
        TStringList fields(codePage);
        BodyWindow window(copy.View());
        TBodyParts found;
        ParseMultipart(window, connected, fields, found);
        if (found.Files.empty() || found.Files[0].DataSize != kSmallFileSize)
            state.SkipWithError("the parser did not keep the first file");
    }
    state.SetItemsProcessed(state.iterations() * kFileCount);
}

// Looks up every file of an object of count files by position (the file's record, as
// Files(index) has it made) or by field name (FileIndexOf, as Files(name) does first).
void LookUpFiles(benchmark::State& state, int count, bool byName) {
    const std::string body = SmallFilesBody(count, 16);
    const SingleByteCodePage codePage;
    PosixFileSystem fileSystem;
    const PosixHashing hashing;
    BodyHost host(body);
    TTessock upload(host, codePage, fileSystem, hashing);
    upload.Initialize();
    std::vector<std::string> names;
    char name[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "file%04d", i);
        names.emplace_back(name);
    }
    if (upload.FileCount() != count || upload.FileIndexOf(names.back()) != count - 1) {
        state.SkipWithError("the object did not list every file under its name");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            if (byName)
                benchmark::DoNotOptimize(upload.FileIndexOf(names[static_cast<std::size_t>(i)]));
            else
                benchmark::DoNotOptimize(upload.FileAt(i));
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// Reads FileSize of every listed file of copies objects of count files each.
void EnumerateFiles(benchmark::State& state, int count, int copies) {
    const std::string body = SmallFilesBody(count, kSmallFileSize);
    const SingleByteCodePage codePage;
    PosixFileSystem fileSystem;
    const PosixHashing hashing;
    std::vector<std::unique_ptr<BodyHost>> hosts;
    std::vector<std::unique_ptr<TTessock>> uploads;
    for (int i = 0; i < copies; ++i) {
        hosts.push_back(std::make_unique<BodyHost>(body));
        uploads.push_back(std::make_unique<TTessock>(*hosts.back(), codePage, fileSystem, hashing));
        uploads.back()->Initialize();
        if (uploads.back()->FileCount() != count) {
            state.SkipWithError("the object did not list every file");
            return;
        }
    }
    for (auto _ : state) {
        std::int64_t total = 0;
        for (int i = 0; i < count; ++i) {
            for (const auto& upload : uploads) total += upload->FileSizeAt(i);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * count * copies);
}

int Register() {
    struct Shape {
        int count;
        int copies;
        const char* name;
    };
    for (const Shape& shape :
         {Shape{10000, 1, "10000"}, Shape{100000, 1, "100000"}, Shape{10000, 10, "10x10000"}}) {
        const std::string n = shape.name;
        benchmark::RegisterBenchmark(("parse_fields/" + n).c_str(), ParseFields, shape.count, shape.copies)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("by_index/" + n).c_str(), ReadFields, shape.count, shape.copies, false,
                                     false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("by_name/" + n).c_str(), ReadFields, shape.count, shape.copies, true,
                                     false)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("by_name_unicode/10000", ReadFields, 10000, 1, true, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("files_by_index/10000", LookUpFiles, 10000, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("files_by_name/10000", LookUpFiles, 10000, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scan_files/1000", ScanFiles)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("parse_files/1000", ParseFiles)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("create_files/1000", CreateFiles, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("create_first_file/1000", CreateFiles, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("enumerate_files/10000", EnumerateFiles, 10000, 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("enumerate_files/10x1000", EnumerateFiles, 1000, 10)
        ->Unit(benchmark::kMillisecond);
    return 0;
}

[[maybe_unused]] const int registered = Register();

}  // namespace
}  // namespace kestrune::bench
