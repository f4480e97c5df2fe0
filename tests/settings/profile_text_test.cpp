#include "settings/profile_text.h"

#include <gtest/gtest.h>

namespace varlo {
namespace {

using namespace std::string_literals;
using Value = std::optional<std::string>;

TEST(FindProfileValue, ReadsAsTheWindowsProfileFunctionsDo) {
    const struct {
        std::string text;
        Value expected;
    } cases[] = {
        {"[varloGui]\nExecFile=ffmpeg\n", "ffmpeg"},
        {"[VARLOGUI]\nexecfile=x", "x"},
        {"  [ varloGui ]  \n  ExecFile  =  a b  \n", "a b"},
        {"[varloGui]\nExecFile=\"a b \"\n", "a b "},
        {"[varloGui]\nExecFile='x'\n", "x"},
        {"[varloGui]\nExecFile=\"x'\n", "\"x'"},
        {"[varloGui]\nExecFile=\"\"\n", ""},
        {"[varloGui]\nExecFile=\n", ""},
        {"[varloGui]\nExecFile=a=b\n", "a=b"},
        {"[varloGui]\r\nExecFile=crlf\r\n", "crlf"},
        {"[varloGui]\rExecFile=cr\r", "cr"},
        {"\xEF\xBB\xBF[varloGui]\nExecFile=bom", "bom"},
        {"[varloGui]\nExecFile=1\nExecFile=2\n[varloGui]\nExecFile=3", "1"},
        {"[varloGui]\n;ExecFile=comment\nExecFile=real", "real"},
        {"[varloGui]\nExecFile\nExecFile=5", "5"},
        {"[varloGui]\nExecFile=nul\0inside"s, "nul\0inside"s},
        // Missing: the caller's default applies.
        {"", std::nullopt},
        {"[varloGui]\nAutoExec=1\n", std::nullopt},
        {"[other]\nExecFile=x\n", std::nullopt},
        {"ExecFile=before any section\n[varloGui]\n", std::nullopt},
        {"[varloGui]\n[varloGui]\nExecFile=second section", std::nullopt},
        {"[varloGui]\n[next]\nExecFile=x", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, FindProfileValue(c.text, "varloGui", "ExecFile"))
            << "text: [" << c.text << "]";
    }
    EXPECT_EQ(Value("1"), FindProfileValue("[a]b]\nk=1", "a]b", "k")) << "']' inside a name";
}

TEST(SetProfileValue, ChangesOneLineAndKeepsEveryOtherByte) {
    const std::string foreign =
        "; my settings\r\n[other]\r\nx = 1\r\n\r\n[varloGui]\r\n  ExecFile = old  \r\n"
        "; note\r\nfoo=bar\r\n\r\n[last]\r\ny=2";
    EXPECT_EQ(
        "; my settings\r\n[other]\r\nx = 1\r\n\r\n[varloGui]\r\n  ExecFile = new\r\n"
        "; note\r\nfoo=bar\r\n\r\n[last]\r\ny=2",
        SetProfileValue(foreign, "VARLOGUI", "execfile", "new"));
    EXPECT_EQ(
        "; my settings\r\n[other]\r\nx = 1\r\n\r\n[varloGui]\r\n  ExecFile = old  \r\n"
        "; note\r\nfoo=bar\r\nAutoExec=1\r\n\r\n[last]\r\ny=2",
        SetProfileValue(foreign, "varloGui", "AutoExec", "1"))
        << "a new key ends its section, before the blank line";
    EXPECT_EQ(foreign + "\r\n[new]\r\nk=v\r\n", SetProfileValue(foreign, "new", "k", "v"))
        << "a new section ends the file, in the file's own line ends";
}

TEST(SetProfileValue, AddsLinesWhereTheyBelong) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", "[s]\nk=v\n"},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF[s]\nk=v\n"},
        {"\xEF\xBB\xBF[t]\r\n", "\xEF\xBB\xBF[t]\r\n[s]\r\nk=v\r\n"},
        {"[s]", "[s]\nk=v\n"},
        {"[s]\na=1", "[s]\na=1\nk=v\n"},
        {"[s]\ra=1\r\r[t]\r", "[s]\ra=1\rk=v\r\r[t]\r"},
        {"[s]\nk=1\n[s]\nk=2\n", "[s]\nk=v\n[s]\nk=2\n"},
        {"[s]\nk\n", "[s]\nk\nk=v\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, SetProfileValue(c.text, "s", "k", "v")) << "text: [" << c.text << "]";
    }
}

TEST(SetProfileValue, RefusesLineBreaksThatWouldAddLines) {
    EXPECT_EQ(std::nullopt, SetProfileValue("", "s", "k", "a\n[evil]\nk=1"));
    EXPECT_EQ(std::nullopt, SetProfileValue("", "s", "k", "a\rb"));
    EXPECT_EQ(std::nullopt, SetProfileValue("", "s\n", "k", "v"));
    EXPECT_EQ(std::nullopt, SetProfileValue("", "s", "k\r\nx", "v"));
}

TEST(SetProfileValue, EveryValueReadsBackAsWritten) {
    const std::string values[] = {
        "",       "plain", " lead", "trail\t", "\"q\"",  "'q'",      "\"",     "'a\"",
        "\"\"",   "a=b",   ";x",    "[x]",     "日本語", "\xff\xfe", "nul\0"s, "\"/opt/my conv/c\"",
        " \"x\" "};
    const std::string texts[] = {"", "[s]\nk=old\n", "[t]\nk=other\n[s]\r\nj=1\r\n"};
    for (const std::string& text : texts) {
        for (const std::string& value : values) {
            const std::optional<std::string> written = SetProfileValue(text, "s", "k", value);
            ASSERT_TRUE(written.has_value());
            EXPECT_EQ(Value(value), FindProfileValue(*written, "s", "k"))
                << "value [" << value << "] in [" << text << "]";
            EXPECT_EQ(FindProfileValue(text, "t", "k"), FindProfileValue(*written, "t", "k"));
            EXPECT_EQ(FindProfileValue(text, "s", "j"), FindProfileValue(*written, "s", "j"));
        }
    }
}

}  // namespace
}  // namespace varlo
