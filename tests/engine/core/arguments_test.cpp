#include "engine/core/arguments.h"

#include <gtest/gtest.h>

namespace varlo {
namespace {

using Tokens = std::vector<std::string>;

TEST(SplitArguments, FollowsTheProgramsOwnRules) {
    const struct {
        std::string line;
        Tokens expected;
    } cases[] = {
        {R"("C:\Program Files\conv\varloGui.exe" "C:\wav\a b.wav" C:\wav\c.wav)",
         {R"(C:\Program Files\conv\varloGui.exe)", R"(C:\wav\a b.wav)", R"(C:\wav\c.wav)"}},
        {"prog.exe a  b", {"prog.exe", "a", "b"}},
        {"\"prog.exe\" ", {"prog.exe", ""}},
        {"prog.exe ", {"prog.exe"}},
        {"prog.exe  ", {"prog.exe", ""}},
        {"", {}},
        {"   ", {""}},
        {"prog.exe\tx", {"prog.exe\tx"}},
        {"\"\"", {""}},
        {"p \"\" x", {"p", "", "x"}},
        {"ab\"c d", {"ab\"c", "d"}},
        {"\"a b\"c", {"a b", "c"}},
        {R"("C:\my files\x.wav)", {R"(C:\my files\x.wav)"}},
        {R"(a\"b c)", {R"(a\"b)", "c"}},
        {"  lead", {"lead"}},
        {"/usr/bin/varloGui /m/日本語.wav", {"/usr/bin/varloGui", "/m/日本語.wav"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, SplitArguments(c.line)) << "line: [" << c.line << "]";
    }
}

}  // namespace
}  // namespace varlo
