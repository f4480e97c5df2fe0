// CCaptureLineReader fed in chunks of many sizes against a byte-by-byte reading of the whole
// capture.
//
// Input: one control byte (bits 0-1: the record's prefix, bits 2-4: how many chunk sizes
// follow, less one), the chunk sizes (one byte each, used in turn), then the capture bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/capture_lines.h"
#include "fuzz_check.h"

namespace {

using varlo::fuzz::Escaped;
using varlo::fuzz::Fail;

constexpr char kEndOfFile = '\x1A';

// What the record already holds; a CR at its end must not pair with an LF of the capture.
constexpr std::string_view kPrefixes[] = {"", "earlier line\r\n", "open\r", "\r"};

// One byte at a time: LF ends a line, dropping a CR just before it inside the line; Ctrl-Z
// ends the capture; a line left open at the end is still a line.
std::string ReferenceLines(std::string_view capture) {
    std::string lines;
    std::string line;
    for (const char c : capture) {
        if (c == kEndOfFile) {
            break;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines += line + "\r\n";
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines += line + "\r\n";
    }
    return lines;
}

std::size_t CountLineEnds(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t at = s.find("\r\n"); at != std::string_view::npos;
         at = s.find("\r\n", at + 2)) {
        ++count;
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t control = data[0];
    const std::string_view prefix = kPrefixes[control & 3];
    const std::size_t sizeCount = std::min<std::size_t>(((control >> 2) & 7) + 1, size - 1);
    std::vector<std::size_t> chunkSizes(data + 1, data + 1 + sizeCount);
    const std::string_view capture(reinterpret_cast<const char*>(data) + 1 + sizeCount,
                                   size - 1 - sizeCount);
    if (std::all_of(chunkSizes.begin(), chunkSizes.end(), [](std::size_t n) { return n == 0; })) {
        chunkSizes.push_back(capture.size());  // empty chunks alone would never get anywhere
    }
    const auto describe = [&] {
        std::string sizes;
        for (const std::size_t n : chunkSizes) {
            sizes += " " + std::to_string(n);
        }
        return "prefix: \"" + Escaped(prefix) + "\"\nchunk sizes:" + sizes + "\ncapture: \"" +
               Escaped(capture) + "\"";
    };

    std::string record(prefix);
    {
        varlo::CCaptureLineReader reader(record);
        std::size_t fed = 0;
        bool endSeen = false;
        for (std::size_t i = 0; fed < capture.size(); i = (i + 1) % chunkSizes.size()) {
            const std::string_view chunk = capture.substr(fed, chunkSizes[i]);
            fed += chunk.size();
            endSeen = endSeen || chunk.find(kEndOfFile) != std::string_view::npos;
            // Feed says whether it still takes bytes: until the end-of-file byte has come.
            if (reader.Feed(chunk) != !endSeen) {
                Fail("Feed does not tell whether the end of the file has been seen",
                     describe() + "\nfed: " + std::to_string(fed));
            }
        }
        reader.Finish();
    }

    if (!std::string_view(record).starts_with(prefix)) {
        Fail("the record's earlier text changed",
             describe() + "\nrecord: \"" + Escaped(record) + "\"");
    }
    const std::string_view appended = std::string_view(record).substr(prefix.size());
    const std::string expected = ReferenceLines(capture);
    if (appended != expected) {
        Fail("the lines differ from a byte-by-byte reading",
             describe() + "\nlines: \"" + Escaped(appended) + "\"\nexpected: \"" +
                 Escaped(expected) + "\"");
    }

    // One line end per line: per LF before the end of the file, and one for an open last line.
    const std::string_view text = capture.substr(0, capture.find(kEndOfFile));
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
                              (!text.empty() && text.back() != '\n' ? 1 : 0);
    if (CountLineEnds(appended) != lines) {
        Fail("the number of line ends differs from the number of lines",
             describe() + "\nlines: \"" + Escaped(appended) + "\"");
    }
    return 0;
}
