#include "engine/output_path.h"

#include <gtest/gtest.h>
#include <filesystem>

#include "temp_folder.h"

namespace varlo {
namespace {

class ProposeOutputPathTest : public ::testing::Test {
protected:
    void Touch(const std::string& name) { test::WriteFile(name, ""); }
    test::CTempFolder m_folder;
};

TEST_F(ProposeOutputPathTest, ReplacesTheExtensionBesideTheInput) {
    const std::string& dir = m_folder.Path();
    EXPECT_EQ(dir + "/song.aac", ProposeOutputPath(dir + "/song.wav"));
    EXPECT_EQ("song.aac", ProposeOutputPath("song.wav")) << "relative stays relative";
    EXPECT_EQ(dir + "/take.aac", ProposeOutputPath(dir + "/take"));
    EXPECT_EQ(dir + "/b.c.aac", ProposeOutputPath(dir + "/b.c.wav"));
    EXPECT_EQ(dir + "/.aac", ProposeOutputPath(dir + "/"));
    EXPECT_EQ("/no/such/folder/a.aac", ProposeOutputPath("/no/such/folder/a.wav"));
}

TEST_F(ProposeOutputPathTest, NumbersFromOneWhenTheNameIsTaken) {
    Touch("song.aac");
    EXPECT_EQ("song(1).aac", ProposeOutputPath("song.wav"));
    Touch("song(1).aac");
    EXPECT_EQ("song(2).aac", ProposeOutputPath("song.wav"));

    // The input itself may be the name that is taken; a folder takes a name as a file does.
    Touch("x.aac");
    EXPECT_EQ("x(1).aac", ProposeOutputPath("x.aac"));
    ASSERT_TRUE(std::filesystem::create_directory("d.aac"));
    EXPECT_EQ("d(1).aac", ProposeOutputPath("d"));
}

TEST_F(ProposeOutputPathTest, GivesUpAfter99Names) {
    Touch("song.aac");
    for (int i = 1; i <= 97; ++i) {
        Touch("song(" + std::to_string(i) + ").aac");
    }
    EXPECT_EQ("song(98).aac", ProposeOutputPath("song.wav"));
    Touch("song(98).aac");
    EXPECT_EQ("", ProposeOutputPath("song.wav")) << "(99) is never proposed";
}

TEST_F(ProposeOutputPathTest, SuffixMayMakeTheNameLongerThanAnyPart) {
    // The longest name this file system holds, plus "(1)": proposed all the same.
    const std::string base(251, 'b');
    Touch(base + ".aac");
    const std::string proposal = ProposeOutputPath(base + ".wav");
    EXPECT_EQ(base + "(1).aac", proposal);
    EXPECT_EQ(258u, proposal.size()) << "over the 255 bytes a name may have here";
}

}  // namespace
}  // namespace varlo
