// Dropping many files: each is sized (a stat) as it is queued, so that progress can be weighed
// by the work. The window must still answer a drop of 10,000 files within 100 ms.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine/platform/file_names.h"
#include "harness.h"

namespace varlo::bench {

void DropSizing(const Options& options) {
    const int files = options.Files(10'000);
    const int runs = options.Runs(5);
    CScratchFolder scratch;
    const std::vector<std::string> inputs = InputPaths("drop", files);
    std::filesystem::create_directory("drop");
    for (const std::string& input : inputs) {
        std::ofstream(input) << "RIFF";
    }

    std::vector<double> sizingMs;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        std::uint64_t sum = 0;
        for (const std::string& input : inputs) {
            sum += FileSize(input).value_or(0);
        }
        sizingMs.push_back(MsSince(start));
        if (sum != 4u * static_cast<std::uint64_t>(files)) {
            throw CBenchFailure("a file was not sized");
        }
    }
    const Summary sizing = Summarize(sizingMs);
    std::printf("sizing %d files: median %.2f ms (%.2f us a file), max %.2f ms\n", files,
                sizing.median, sizing.median * 1000 / files, sizing.max);

    // The whole answer to the drop: queued, sized, the first one loaded and started.
    std::vector<double> dropMs;
    for (int run = 0; run < runs; ++run) {
        CBenchWindow window(BenchConverter("sleep 60000"));
        window.Show();
        const Clock::time_point start = Clock::now();
        window.Drop(inputs);
        dropMs.push_back(MsSince(start));
        if (window.Dialog().Controller().Queue().size() + 1 != inputs.size()) {
            throw CBenchFailure("the drop did not queue every file");
        }
    }
    PrintTarget("the window's answer to a drop of " + std::to_string(files) + " files",
                Median(dropMs), "ms", 100);
}

}  // namespace varlo::bench
