// The settings on Windows: WIN.INI through the profile functions, and a profile file of one's own
// through their private forms.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/system_text.h"
#include "settings/profile_store.h"
#include "settings/settings.h"
#include "temp_folder.h"

namespace varlo {
namespace {

using Value = std::optional<std::string>;

// A section of WIN.INI for one test, removed afterwards.
class WinIniTest : public ::testing::Test {
protected:
    WinIniTest() : m_section("varloGuiTest" + std::to_string(GetCurrentProcessId())) {}
    ~WinIniTest() override { WriteProfileStringA(m_section.c_str(), nullptr, nullptr); }

    std::string m_section;
    CProfileStore m_store{CProfileStore::DefaultPath()};
};

TEST_F(WinIniTest, SettingsLiveInWinIni) {
    EXPECT_EQ("", CProfileStore::DefaultPath()) << "the empty location names WIN.INI";
    Settings settings = ReadSettings(m_store, m_section);
    EXPECT_EQ("varlo.exe", settings.execFile);
    EXPECT_EQ(0, settings.autoExec);

    WriteExecFile(m_store, m_section, "C:\\Program Files\\conv\\varlo.exe");
    WriteAutoExec(m_store, m_section, 1);
    char raw[1024];
    GetProfileStringA(m_section.c_str(), "ExecFile", "", raw, sizeof raw);
    EXPECT_STREQ("C:\\Program Files\\conv\\varlo.exe", raw) << "written as the profile functions";
    EXPECT_EQ(1u, GetProfileIntA(m_section.c_str(), "AutoExec", 7));

    settings = ReadSettings(m_store, m_section);
    EXPECT_EQ("C:\\Program Files\\conv\\varlo.exe", settings.execFile);
    EXPECT_EQ(1, settings.autoExec);
}

TEST_F(WinIniTest, ValuesReadBackExactlyAndLineBreaksAreRefused) {
    for (const std::string value : {"\"C:\\my conv\\c.exe\" -q", "\"quoted\"", " blank ", "",
                                    "%PATH%", "\x95\x5C\x83\x5C.exe"}) {
        ASSERT_TRUE(m_store.WriteValue(m_section, "ExecFile", value).Ok());
        EXPECT_EQ(Value(value), m_store.ReadValue(m_section, "ExecFile"));
    }
    EXPECT_FALSE(m_store.WriteValue(m_section, "ExecFile", "a\r\n[evil]\r\nx=1").Ok());
    EXPECT_EQ(std::nullopt, m_store.ReadValue("evil", "x"));
    EXPECT_EQ(std::nullopt, m_store.ReadValue(m_section, "Missing"));
}

TEST_F(WinIniTest, LongConverterIsCutTo1023BytesBetweenCharacters) {
    std::string path(1022, 'p');
    path +=
        "\x95\x5C"
        "tail";  // 表 takes bytes 1023 and 1024
    ASSERT_TRUE(m_store.WriteValue(m_section, "ExecFile", path).Ok());
    EXPECT_EQ(std::string(1022, 'p'), ReadSettings(m_store, m_section).execFile);
}

// WIN.INI as a standard user finds it: refusing writes. A folder in its place makes the profile
// functions fail (a read-only file would not, as the tests run as root). APPDATA points into the
// test's folder.
class RefusingWinIniTest : public WinIniTest {
protected:
    RefusingWinIniTest() {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        m_winIni = std::string(windows) + "\\win.ini";
        m_aside = m_winIni + ".varlo-aside";
        RemoveDirectoryA(m_winIni.c_str());  // left by a run that did not end
        if (GetFileAttributesA(m_aside.c_str()) == INVALID_FILE_ATTRIBUTES) {
            MoveFileA(m_winIni.c_str(), m_aside.c_str());
        }
        CreateDirectoryA(m_winIni.c_str(), nullptr);
        SetEnvironmentVariableA("APPDATA", m_appData.Path().c_str());
    }
    ~RefusingWinIniTest() override { AllowWinIni(); }

    void AllowWinIni() {
        if (RemoveDirectoryA(m_winIni.c_str())) {
            MoveFileA(m_aside.c_str(), m_winIni.c_str());
        }
    }

    std::string PerUser() const { return m_appData.Path() + "\\varloGui\\varloGui.ini"; }

    std::string m_winIni;
    std::string m_aside;
    test::CTempFolder m_appData{/*makeCurrent=*/false};
};

TEST_F(RefusingWinIniTest, RefusedSettingsGoToThePerUserProfileWhichIsReadFirst) {
    ASSERT_FALSE(WriteProfileStringA(m_section.c_str(), "Probe", "x")) << "WIN.INI refuses";
    WriteExecFile(m_store, m_section, "C:\\conv\\c.exe");
    WriteAutoExec(m_store, m_section, 1);
    EXPECT_EQ("", m_store.SaveError());
    char raw[64] = {};
    GetPrivateProfileStringA(m_section.c_str(), "AutoExec", "", raw, sizeof raw, PerUser().c_str());
    EXPECT_STREQ("1", raw);
    Settings settings = ReadSettings(m_store, m_section);
    EXPECT_EQ("C:\\conv\\c.exe", settings.execFile);
    EXPECT_EQ(1, settings.autoExec);

    // WIN.INI writable again and holding an older value: the per-user profile still comes first,
    // and a key it holds is written there; other keys are still read from WIN.INI.
    AllowWinIni();
    ASSERT_TRUE(WriteProfileStringA(m_section.c_str(), "AutoExec", "0"));
    ASSERT_TRUE(WriteProfileStringA(m_section.c_str(), "Other", "win"));
    EXPECT_EQ(1, ReadSettings(m_store, m_section).autoExec);
    WriteAutoExec(m_store, m_section, 2);
    EXPECT_EQ(2, ReadSettings(m_store, m_section).autoExec);
    EXPECT_EQ(0u, GetProfileIntA(m_section.c_str(), "AutoExec", 7));
    EXPECT_EQ(Value("win"), m_store.ReadValue(m_section, "Other"));
}

TEST_F(RefusingWinIniTest, SettingsThatCanGoNowhereAreKeptAsAnError) {
    // A file where the per-user folder would go.
    test::WriteFile(m_appData.Path() + "\\varloGui", "");
    const CStatus saved = m_store.WriteValue(m_section, "AutoExec", "1");
    EXPECT_FALSE(saved.Ok());
    EXPECT_EQ(saved.Message(), m_store.SaveError());
    EXPECT_EQ("WIN.INI: " + SystemErrorText(ERROR_ACCESS_DENIED) + "; " + PerUser() + ": " +
                  SystemErrorText(ERROR_PATH_NOT_FOUND),
              m_store.SaveError());
    EXPECT_EQ(0, ReadSettings(m_store, m_section).autoExec);
}

TEST(PrivateProfile, AFileOfItsOwn) {
    test::CTempFolder folder;
    CProfileStore store(folder.Path() + "\\profile.ini");
    WriteAutoExec(store, "myConv", 5);
    EXPECT_EQ(5, ReadSettings(store, "MYCONV").autoExec);
    EXPECT_EQ("varlo.exe", ReadSettings(store, "varloGui").execFile);
}

}  // namespace
}  // namespace varlo
