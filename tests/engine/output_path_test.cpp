#include "engine/output_path.h"

#include <gtest/gtest.h>
#include <filesystem>

#include "engine/platform/name_limit.h"
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
    // Where no name limit is known, the longest name plus "(1)" is proposed all the same.
    const std::string base(251, 'b');
    Touch(base + ".aac");
    const std::string proposal = ProposeOutputPath(base + ".wav", kNoNameLimit);
    EXPECT_EQ(base + "(1).aac", proposal);
    EXPECT_EQ(258u, proposal.size()) << "over the 255 bytes a name may have here";
}

TEST_F(ProposeOutputPathTest, ShortensTheBaseNameToTheNameLimitByWholeCharacters) {
    const std::string& dir = m_folder.Path();
    EXPECT_EQ(dir + "/abcdefgh.aac", ProposeOutputPath(dir + "/abcdefghij.wav", 12));
    EXPECT_EQ(dir + "/abcdefghij.aac", ProposeOutputPath(dir + "/abcdefghij.wav", 14));
    Touch("abcdefgh.aac");
    EXPECT_EQ(dir + "/abcde(1).aac", ProposeOutputPath(dir + "/abcdefghij.wav", 12))
        << "the suffix and the extension stay, the base name gives way";
    for (int i = 1; i <= 9; ++i) {
        Touch("abcde(" + std::to_string(i) + ").aac");
    }
    EXPECT_EQ(dir + "/abcd(10).aac", ProposeOutputPath(dir + "/abcdefghij.wav", 12));

    // 日本語 is three characters of three bytes each: a cut never ends inside one.
    EXPECT_EQ("日本.aac", ProposeOutputPath("日本語.wav", 12));
    EXPECT_EQ("日本.aac", ProposeOutputPath("日本語.wav", 11));
    EXPECT_EQ("日.aac", ProposeOutputPath("日本語.wav", 9));
    EXPECT_EQ(".aac", ProposeOutputPath("日本語.wav", 6));
    // Bytes that are not UTF-8 are cut where the limit falls.
    EXPECT_EQ("\x80\x80\x80\x80\x80\x80.aac",
              ProposeOutputPath(std::string(9, '\x80') + ".wav", 10));
}

}  // namespace
}  // namespace varlo
