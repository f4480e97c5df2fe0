// Runs a fuzz target once on each input named on the command line, and on each file inside a
// folder named there, for builds without libFuzzer. Arguments starting with '-' are libFuzzer
// options and are skipped, so both builds take the same command line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool RunFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    if (in.bad()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    // A buffer of exactly the input's size, so that a sanitizer sees any read past its end.
    const auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    std::printf("Running: %s\n", path.c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(copy.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t runs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.starts_with('-')) {
            continue;
        }
        std::error_code error;
        if (fs::is_directory(argument, error)) {
            std::vector<fs::path> files;
            for (const fs::directory_entry& entry : fs::directory_iterator(argument, error)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            if (error) {
                std::fprintf(stderr, "cannot list %s: %s\n", argument.c_str(),
                             error.message().c_str());
                return 1;
            }
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files) {
                if (!RunFile(file)) {
                    return 1;
                }
                ++runs;
            }
        } else if (RunFile(argument)) {
            ++runs;
        } else {
            return 1;
        }
    }
    // Nothing replayed is a mistake in the command line, not a pass.
    if (runs == 0) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argc > 0 ? argv[0] : "replay");
        return 1;
    }
    std::printf("Executed %zu inputs\n", runs);
    return 0;
}
