#include "settings/settings.h"
#include "common/text.h"
#include "settings/profile_text.h"

#include <gtest/gtest.h>

#include <climits>

#include "temp_folder.h"

namespace varlo {
namespace {

TEST(ParseProfileInt, ReadsLikeGetProfileInt) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"1", 1},
                 {"0", 0},
                 {"12abc", 12},
                 {"abc", 0},
                 {"-5", -5},
                 {"+7", 7},
                 {"-", 0},
                 {"007", 7},
                 {"2 3", 2},
                 {" 3", 0},
                 {"99999999999", INT_MAX},
                 {"-99999999999", INT_MIN}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ParseProfileInt(c.text, 42)) << c.text;
    }
    EXPECT_EQ(42, ParseProfileInt("", 42)) << "an empty value is the default";
}

TEST(CutUtf8, NeverSplitsACharacter) {
    const std::string a = "\xE3\x81\x82";  // あ, three bytes
    EXPECT_EQ("abc", CutUtf8("abc", 5));
    EXPECT_EQ("ab", CutUtf8("abcd", 2));
    EXPECT_EQ("x", CutUtf8("x" + a, 3));
    EXPECT_EQ("x", CutUtf8("x" + a, 2));
    EXPECT_EQ("x" + a, CutUtf8("x" + a + "y", 4));
    // Bytes that are not UTF-8 are cut where the limit falls: no character boundary is near.
    EXPECT_EQ(std::string(10, '\x80'), CutUtf8(std::string(20, '\x80'), 10));
}

class SettingsTest : public ::testing::Test {
protected:
    test::CTempFolder m_folder;
    CProfileStore m_store{m_folder.Path() + "/profile.ini"};
};

TEST_F(SettingsTest, MissingValuesGiveTheDefaults) {
    Settings settings = ReadSettings(m_store, "varloGui");
    EXPECT_EQ("varlo.exe", settings.execFile);
    EXPECT_EQ(0, settings.autoExec);

    test::WriteFile(m_store.Path(), "[varloGui]\nExecFile=\nAutoExec=\n");
    settings = ReadSettings(m_store, "varloGui");
    EXPECT_EQ("", settings.execFile) << "present but empty is not missing";
    EXPECT_EQ(0, settings.autoExec);
}

TEST_F(SettingsTest, WritesReadBackPerSection) {
    WriteAutoExec(m_store, "varloGui", 0);
    EXPECT_EQ(std::optional<std::string>("0"), m_store.ReadValue("varloGui", "AutoExec"));
    EXPECT_EQ(std::nullopt, m_store.ReadValue("varloGui", "ExecFile"))
        << "a first run that only closes writes AutoExec and no ExecFile";

    WriteAutoExec(m_store, "myConv", 7);
    WriteExecFile(m_store, "myConv", "\"/opt/my conv/conv\"");
    const Settings settings = ReadSettings(m_store, "MYCONV");
    EXPECT_EQ("\"/opt/my conv/conv\"", settings.execFile);
    EXPECT_EQ(7, settings.autoExec);
    EXPECT_EQ("varlo.exe", ReadSettings(m_store, "varloGui").execFile);
}

TEST_F(SettingsTest, StoredConverterComesBackCutTo1023Bytes) {
    const std::string a = "\xE3\x81\x82";
    std::string path(1022, 'p');
    path += a + "tail";  // あ takes bytes 1023 to 1025
    WriteExecFile(m_store, "varloGui", path);
    EXPECT_EQ(std::string(1022, 'p'), ReadSettings(m_store, "varloGui").execFile);

    WriteExecFile(m_store, "varloGui", std::string(2000, 'q'));
    EXPECT_EQ(std::string(1023, 'q'), ReadSettings(m_store, "varloGui").execFile);
}

TEST_F(SettingsTest, JobsOutsideOneToSixtyFourMeanOne) {
    EXPECT_EQ(1, ReadSettings(m_store, "varloGui").jobs) << "missing";
    const struct {
        const char* stored;
        int jobs;
    } cases[] = {{"2", 2},  {"64", 64}, {"65", 1},      {"0", 1},
                 {"-3", 1}, {"abc", 1}, {"8 cores", 8}, {"99999999999", 1}};
    for (const auto& c : cases) {
        test::WriteFile(m_store.Path(), std::string("[varloGui]\nJobs=") + c.stored + "\n");
        EXPECT_EQ(c.jobs, ReadSettings(m_store, "varloGui").jobs) << c.stored;
    }
    WriteJobs(m_store, "varloGui", 4);
    EXPECT_EQ(std::optional<std::string>("4"), m_store.ReadValue("varloGui", "Jobs"));
}

TEST_F(SettingsTest, AWindowWithoutAPlaceOfItsOwnKeepsTheStoredOne) {
    test::WriteFile(m_store.Path(), "[varloGui]\nWindowLeft=-20\nWindowTop=9\n");
    WriteWindowPlace(m_store, "varloGui", {640, 480, false, 1, 2});  // as on Wayland
    const std::optional<WindowPlace> p = ReadWindowPlace(m_store, "varloGui");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ((std::vector<int>{640, 480, 1, -20, 9}),
              (std::vector<int>{p->width, p->height, p->placed, p->left, p->top}));
}

}  // namespace
}  // namespace varlo
