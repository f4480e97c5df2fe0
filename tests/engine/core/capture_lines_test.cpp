#include "engine/core/capture_lines.h"

#include <gtest/gtest.h>

namespace varlo {
namespace {

using namespace std::string_literals;

// Feeds `bytes` split at `cut` (and unsplit when cut is npos) after a record prefix.
std::string Read(const std::string& bytes, std::size_t cut = std::string::npos) {
    std::string record = "head\r\n";
    CCaptureLineReader reader(record);
    if (cut == std::string::npos) {
        reader.Feed(bytes);
    } else if (reader.Feed(std::string_view(bytes).substr(0, cut))) {
        reader.Feed(std::string_view(bytes).substr(cut));
    }
    reader.Finish();
    return record.substr(6);
}

TEST(CaptureLineReader, ReadsTextModeLines) {
    const struct {
        std::string bytes;
        std::string lines;
    } cases[] = {
        {"", ""},
        {"A\nB", "A\r\nB\r\n"},
        {"A\r\nB\r\n", "A\r\nB\r\n"},
        {"\n", "\r\n"},
        {"\n\n\r\n", "\r\n\r\n\r\n"},
        {"a\rb\n", "a\rb\r\n"},
        {"a\r", "a\r\r\n"},
        {"a\r\r\n", "a\r\r\n"},
        {"\r", "\r\r\n"},
        {"a\x1A"
         "b\nc\n",
         "a\r\n"},
        {"a\n\x1A\n", "a\r\n"},
        {"\x1A", ""},
        {"a\r\x1A", "a\r\r\n"},
        {"a\0b\n"s, "a\0b\r\n"s},
        {"\0"s, "\0\r\n"s},
        {"\xff\xfe\n", "\xff\xfe\r\n"},
        {"日本語\r\n", "日本語\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.lines, Read(c.bytes)) << "bytes: [" << c.bytes << "]";
        for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            EXPECT_EQ(c.lines, Read(c.bytes, cut)) << "bytes: [" << c.bytes << "] cut " << cut;
        }
    }
}

TEST(CaptureLineReader, LongLinesHaveNoLimit) {
    const std::string line(3 * 1024 * 1024, 'x');
    EXPECT_EQ(line + "\r\n", Read(line));
    EXPECT_EQ(line + "\r\n" + line + "\r\n", Read(line + "\n" + line, line.size() / 2));
}

TEST(CaptureLineReader, StopsTakingBytesAtEndOfFileMark) {
    std::string record;
    CCaptureLineReader reader(record);
    EXPECT_TRUE(reader.Feed("a\n"));
    EXPECT_FALSE(
        reader.Feed("b\x1A"
                    "c"));
    EXPECT_FALSE(reader.Feed("d\n"));
    reader.Finish();
    EXPECT_EQ("a\r\nb\r\n", record);
}

TEST(SliceEnd, CutsAfterALineEndOrBetweenCharacters) {
    const struct {
        std::string text;
        std::size_t from, most, end;
    } cases[] = {
        {"ab\r\ncd\r\nef", 0, 9, 8},   // after the last line end within reach
        {"ab\r\ncd\r\nef", 4, 9, 10},  // the rest is within reach
        {"abcdef", 0, 4, 4},
        {"abc\r\n", 0, 4, 3},  // never between CR and LF           // no line end: cut anyway
        {"a日本", 0, 5, 4},    // never inside a character
        {"ab\r\n日本語", 4, 5, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.end, SliceEnd(c.text, c.from, c.most)) << c.text << " from " << c.from;
    }
}

}  // namespace
}  // namespace varlo
