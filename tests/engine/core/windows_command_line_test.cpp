// The command lines that start a converter on Windows, built from its words.
#include "engine/core/windows_command_line.h"

#include <gtest/gtest.h>

#include "engine/core/converter_words.h"

namespace varlo {
namespace {

using Words = std::vector<std::string>;

TEST(WindowsCommandLine, QuotesEachArgumentAsTheCRuntimeReadsItBack) {
    EXPECT_EQ(R"("")", QuoteWindowsArgument(""));
    EXPECT_EQ(R"("a b")", QuoteWindowsArgument("a b"));
    EXPECT_EQ(R"("C:\wav\\")", QuoteWindowsArgument(R"(C:\wav\)")) << "the closing quote stays";
    EXPECT_EQ(R"("a\"b")", QuoteWindowsArgument(R"(a"b)"));
    EXPECT_EQ(R"("a\\\"b")", QuoteWindowsArgument(R"(a\"b)"));
    EXPECT_EQ(R"("\\server\x")", QuoteWindowsArgument(R"(\\server\x)")) << "no quote follows";
    EXPECT_EQ(R"("%PATH% & x")", QuoteWindowsArgument("%PATH% & x"));
}

TEST(WindowsCommandLine, BlanksAroundTheConverterTextNeverShiftAnArgument) {
    const std::string expected = R"("C:\probe\args.exe" "-q" "in.wav" "out.aac")";
    for (const char* text : {R"( C:\probe\args.exe -q)", "C:\\probe\\args.exe\t -q  ",
                             R"(  "C:\probe\args.exe" "-q" )"}) {
        EXPECT_EQ(expected, DirectCommandLine(SplitConverterWords(text), "in.wav", "out.aac"))
            << text;
    }
    EXPECT_EQ(R"("C:\Program Files\c.exe" "" "a b" "C:\w\\" "C:\o.aac")",
              DirectCommandLine(SplitConverterWords(R"("C:\Program Files\c.exe" "" "a b")"),
                                R"(C:\w\)", R"(C:\o.aac)"));
}

TEST(WindowsCommandLine, BatchConverterWordsAreQuotedForTheInterpreter) {
    EXPECT_EQ(R"(cmd.exe /d /v:off /s /c "conv.bat -x "a b" "" "x&y" "in.wav" "out.aac"")",
              BatchCommandLine(Words{"conv.bat", "-x", "a b", "", "x&y"}, "in.wav", "out.aac"));
    EXPECT_EQ(R"(cmd.exe /d /v:off /s /c ""C:\my tools\c.cmd" "C:\w\a b.wav" "o.aac"")",
              BatchCommandLine(SplitConverterWords(R"(  "C:\my tools\c.cmd"  )"), R"(C:\w\a b.wav)",
                               "o.aac"));
}

}  // namespace
}  // namespace varlo
