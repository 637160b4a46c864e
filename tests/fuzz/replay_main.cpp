// Replays inputs through a fuzz target without libFuzzer: every file under the folders
// (or the files) named on the command line, in a stable order. A broken invariant
// aborts the run, so ctest reports the input that broke it. Each input goes down every
// road a target picks between, where a fuzzing run takes one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace kestrune::fuzz {
extern bool everyRoad;
}

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsUnder(const fs::path& root) {
    std::vector<fs::path> inputs;
    if (fs::is_regular_file(root)) return {root};
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

bool Replay(const fs::path& input) {
    std::ifstream stream(input, std::ios::binary);
    if (!stream) return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    // An allocation of exactly the input's size, so a read past its end is caught.
    const std::size_t size = bytes.size();
    std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[size == 0 ? 1 : size]);
    std::copy(bytes.begin(), bytes.end(), data.get());
    std::fprintf(stderr, "replay %s (%zu bytes)\n", input.c_str(), size);
    LLVMFuzzerTestOneInput(data.get(), size);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    kestrune::fuzz::everyRoad = true;
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path root(argv[i]);
        if (!fs::exists(root)) {
            std::fprintf(stderr, "no such input folder or file: %s\n", argv[i]);
            return 2;
        }
        for (const fs::path& input : InputsUnder(root)) {
            if (!Replay(input)) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 2;
            }
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
