// The system's file dialogs as the main window opens them: their filters, starting names, default
// extensions, and the current folder left where it was.
#include "ui/win32/file_chooser.h"

#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include "temp_folder.h"
#include "window_driver.h"

namespace varlo {
namespace {

struct Seen {
    std::wstring caption;
    std::vector<std::wstring> filters;
    std::wstring name;
    bool readOnlyShown = false;
};

// Reads the open dialog `box`, then types `typed` and presses OK, or cancels when it is empty.
void ReadAndAnswer(HWND box, Seen& seen, const std::string& typed) {
    seen.caption = test::WindowTextW(box);
    const HWND types = GetDlgItem(box, cmb1);
    const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        seen.filters.push_back(text);
    }
    // The name field is a combo box in the newer dialogs and an edit field in the older ones.
    HWND name = GetDlgItem(box, cmb13);
    if (name == nullptr) {
        name = GetDlgItem(box, edt1);
    }
    seen.name = test::WindowTextW(name);
    const HWND readOnly = GetDlgItem(box, chx1);
    seen.readOnlyShown = readOnly != nullptr && IsWindowVisible(readOnly);
    if (typed.empty()) {
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetWindowTextW(name, test::Wide(typed).c_str());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

const std::wstring kAllFiles = test::Wide("すべてのファイル (*.*)");

class FileChooserTest : public ::testing::Test {
protected:
    std::optional<std::string> Choose(FileDialogKind kind, const std::string& typed,
                                      const std::string& startFolder = "") {
        test::CAnswerNextDialog answer(
            [this, typed](HWND box) { ReadAndAnswer(box, m_seen, typed); });
        std::optional<std::string> chosen = m_chooser.Choose(kind, startFolder, nullptr);
        EXPECT_TRUE(answer.Answered());
        return chosen;
    }

    test::CTempFolder m_current;
    test::CTempFolder m_elsewhere{/*makeCurrent=*/false};
    CFileDialogChooser m_chooser;
    Seen m_seen;
};

TEST_F(FileChooserTest, InputDialogOffersWavFilesAndTakesANameThatDoesNotExist) {
    const std::optional<std::string> chosen =
        Choose(FileDialogKind::Input, m_elsewhere.Path() + "\\new take.wav");
    EXPECT_EQ((std::vector<std::wstring>{test::Wide("WAV ファイル (*.wav)"), kAllFiles}),
              m_seen.filters)
        << "in the user's language";
    EXPECT_EQ(L"", m_seen.name) << "no starting name";
    EXPECT_FALSE(m_seen.readOnlyShown);
    EXPECT_EQ(std::optional<std::string>(m_elsewhere.Path() + "\\new take.wav"), chosen);
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(m_current.Path(), current) << "the captures' folder stays where it was";
}

TEST_F(FileChooserTest, ConverterDialogStartsFromVarloExe) {
    EXPECT_EQ(std::nullopt, Choose(FileDialogKind::Converter, ""));
    EXPECT_EQ(
        (std::vector<std::wstring>{test::Wide("プログラム (*.exe;*.bat;*.cmd;*.com)"), kAllFiles}),
        m_seen.filters)
        << "a batch file converts too";
    EXPECT_EQ(L"varlo.exe", m_seen.name);
}

TEST_F(FileChooserTest, OutputDialogOffersAacFilesAndCompletesTheExtension) {
    const std::optional<std::string> chosen =
        Choose(FileDialogKind::Output, m_elsewhere.Path() + "\\song");
    EXPECT_EQ((std::vector<std::wstring>{test::Wide("AAC ファイル (*.aac)"), kAllFiles}),
              m_seen.filters);
    EXPECT_EQ(std::optional<std::string>(m_elsewhere.Path() + "\\song.aac"), chosen);
}

TEST_F(FileChooserTest, APathOfManyJapaneseCharactersComesBackWhole) {
    // Two folders of 45 characters and a Japanese name: over 300 bytes in UTF-8, which a
    // MAX_PATH-byte buffer would cut.
    std::string folder = m_elsewhere.Path();
    for (const char* part : {"あ", "い"}) {
        std::string name;
        for (int i = 0; i < 45; ++i) {
            name += part;
        }
        folder += "\\" + name;
        ASSERT_TRUE(CreateDirectoryW(test::Wide(folder).c_str(), nullptr));
    }
    const std::string path = folder + "\\出力.aac";
    ASSERT_GT(path.size(), 300u);
    EXPECT_EQ(std::optional<std::string>(path), Choose(FileDialogKind::Output, path));
    EXPECT_EQ(std::optional<std::string>(path), Choose(FileDialogKind::Input, path));
}

TEST_F(FileChooserTest, DialogOpensInTheStartFolder) {
    // A bare name typed into the dialog is taken in the folder it shows, which would otherwise be
    // the current one.
    EXPECT_EQ(std::optional<std::string>(m_elsewhere.Path() + "\\picked.wav"),
              Choose(FileDialogKind::Input, "picked.wav", m_elsewhere.Path() + "\\"));
}

}  // namespace
}  // namespace varlo
