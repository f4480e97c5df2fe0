// The resources linked into the program: both dialog templates read back field by field against
// the window's table and the catalogue of texts, the icon's images and the version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "dialog_template.h"
#include "res/resource.h"
#include "ui/main_window.h"
#include "ui/win32/texts.h"
#include "window_driver.h"

namespace varlo {
namespace {

using test::Wide;

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct Expected {
    int id;
    const wchar_t* className;
    std::wstring text;
    RECT rect;    // x, y, x + width, y + height
    DWORD style;  // bits that must be set
};

void ExpectItem(const Expected& expected, const test::TemplateItem& item) {
    SCOPED_TRACE(expected.id);
    EXPECT_EQ(expected.id, item.id);
    EXPECT_EQ(expected.className, item.className);
    EXPECT_EQ(expected.text, item.text);
    EXPECT_EQ(expected.rect.left, item.rect.left);
    EXPECT_EQ(expected.rect.top, item.rect.top);
    EXPECT_EQ(expected.rect.right, item.rect.right);
    EXPECT_EQ(expected.rect.bottom, item.rect.bottom);
    EXPECT_EQ(expected.style, item.style & expected.style);
    EXPECT_TRUE(item.style & WS_VISIBLE);
}

std::wstring Catalogue(TextId id, Language language = Language::Japanese) {
    return Wide(std::string(Text(id, language)));
}

RECT At(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

// Each language's templates, with the font its script needs; every language has its row.
struct TemplateLanguage {
    Language language;
    const char* name;
    const char* font;  // UTF-8
};
constexpr TemplateLanguage kTemplateLanguages[] = {
    {Language::Japanese, "Japanese", "ＭＳ Ｐゴシック"},
    {Language::English, "English", "MS Shell Dlg"},
};
static_assert(std::size(kTemplateLanguages) == kLanguageCount);

TEST(Resources, MainTemplateHoldsItsControlsInTabOrderInEachLanguage) {
    for (const auto& [language, name, font] : kTemplateLanguages) {
        SCOPED_TRACE(name);
        const test::DialogTemplate main = test::ReadDialogTemplate(
            GetModuleHandleA(nullptr), IDD_MAIN, ResourceLanguage(language));
        EXPECT_TRUE(main.extended);
        EXPECT_EQ(L"varloGui", main.caption);
        EXPECT_EQ(Wide(font), main.font);
        EXPECT_EQ(9, main.pointSize);
        EXPECT_EQ(0, main.rect.left);
        EXPECT_EQ(0, main.rect.top);
        EXPECT_EQ(kMainWidth, main.rect.right);
        EXPECT_EQ(kMainHeight, main.rect.bottom);
        // Resizable, so that the log can grow; minimizable, so that a long batch can be put away.
        const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                            WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        EXPECT_EQ(frame, main.style & frame);
        EXPECT_EQ(0u, main.style & DS_CENTER) << "the window places itself";
        EXPECT_TRUE(main.exStyle & WS_EX_APPWINDOW) << "listed in the task bar";

        // The template is the window's table, control by control.
        const auto classAndStyle = [](ControlKind kind) -> std::pair<const wchar_t*, DWORD> {
            const DWORD field = WS_BORDER | WS_TABSTOP;
            switch (kind) {
                case ControlKind::DefaultButton:
                    return {L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP};
                case ControlKind::Button:
                    return {L"Button", WS_TABSTOP};
                case ControlKind::Label:
                    return {L"Static", WS_GROUP};
                case ControlKind::PathField:
                    return {L"Edit", field | ES_AUTOHSCROLL};
                case ControlKind::Log:
                    return {L"Edit", field | ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL};
                case ControlKind::CheckBox:
                    return {L"Button", BS_AUTOCHECKBOX | WS_TABSTOP};
                case ControlKind::ProgressBar:  // class names match without regard to case
                    return {L"MSCTLS_PROGRESS32", 0};
            }
            return {L"", 0};
        };
        const auto table = MainControls(language);
        ASSERT_EQ(table.size(), main.items.size());
        for (std::size_t i = 0; i < table.size(); ++i) {
            const ControlEntry& entry = table[i];
            const auto [className, style] = classAndStyle(entry.kind);
            ExpectItem({entry.id, className, Catalogue(entry.text, language),
                        At(entry.x, entry.y, entry.width, entry.height), style},
                       main.items[i]);
        }
        const DWORD pushStyle = main.items[1].style & 0xF;
        EXPECT_EQ(static_cast<DWORD>(BS_PUSHBUTTON), pushStyle) << "Exit is not a default button";
        EXPECT_EQ(0u, main.items[11].style & ES_AUTOVSCROLL)
            << "the log does not scroll as one types";
        EXPECT_EQ(0u, main.items[3].style & ES_MULTILINE);
    }
}

TEST(Resources, AboutTemplateIsAPlainOneInEachLanguage) {
    for (const auto& [language, name, font] : kTemplateLanguages) {
        SCOPED_TRACE(name);
        const test::DialogTemplate about = test::ReadDialogTemplate(
            GetModuleHandleA(nullptr), IDD_ABOUT, ResourceLanguage(language));
        EXPECT_FALSE(about.extended);
        EXPECT_EQ(Catalogue(TextId::AboutCaption, language), about.caption);
        EXPECT_EQ(Wide(font), about.font);
        EXPECT_EQ(9, about.pointSize);
        EXPECT_EQ(235, about.rect.right);
        EXPECT_EQ(55, about.rect.bottom);
        const DWORD frame = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        EXPECT_EQ(frame, about.style & frame);
        EXPECT_EQ(0u, about.style & WS_VISIBLE) << "not shown until run";

        ASSERT_EQ(5u, about.items.size());
        const test::TemplateItem& icon = about.items[0];
        EXPECT_EQ(0, lstrcmpiW(L"Static", icon.className.c_str()))
            << "class names match in any case";
        EXPECT_EQ(static_cast<DWORD>(SS_ICON), icon.style & 0x1F);
        EXPECT_EQ(IDR_ICON, icon.textOrdinal);
        EXPECT_EQ(11, icon.rect.left);
        EXPECT_EQ(17, icon.rect.top);
        EXPECT_EQ(31, icon.rect.right);
        EXPECT_EQ(37, icon.rect.bottom);
        ExpectItem({-1, L"Static", Catalogue(TextId::AboutVersion, language), At(40, 10, 119, 8),
                    SS_NOPREFIX | WS_GROUP},
                   about.items[1]);
        ExpectItem({-1, L"Static", Catalogue(TextId::AboutSecondLine, language), At(40, 25, 119, 8),
                    WS_GROUP},
                   about.items[2]);
        ExpectItem({-1, L"Static", Catalogue(TextId::AboutLicence, language), At(40, 40, 119, 8),
                    WS_GROUP},
                   about.items[3]);
        ExpectItem({IDOK, L"Button", Catalogue(TextId::Ok, language), At(178, 7, 50, 14),
                    BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
                   about.items[4]);
    }
}

TEST(Resources, AreJapanese) {
    const HMODULE module = GetModuleHandleA(nullptr);
    const auto found = [module](LPCSTR type, int id) {
        return FindResourceExA(module, type, MAKEINTRESOURCEA(id), kJapanese) != nullptr;
    };
    EXPECT_TRUE(found(MAKEINTRESOURCEA(5), IDD_MAIN));   // RT_DIALOG
    EXPECT_TRUE(found(MAKEINTRESOURCEA(5), IDD_ABOUT));  // RT_DIALOG
    EXPECT_TRUE(found(MAKEINTRESOURCEA(14), IDR_ICON));  // RT_GROUP_ICON
    EXPECT_TRUE(found(MAKEINTRESOURCEA(16), 1));         // RT_VERSION
}

// The icon's directory: two images of 16 colours, 32 and 16 pixels square.
TEST(Resources, IconHasTwoSixteenColourImages) {
#pragma pack(push, 2)
    struct Entry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Directory {
        WORD reserved, type, count;
        Entry entries[1];
    };
#pragma pack(pop)
    const HMODULE module = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_ICON), MAKEINTRESOURCEA(14));
    ASSERT_NE(nullptr, found);
    const auto* directory =
        static_cast<const Directory*>(LockResource(LoadResource(module, found)));
    ASSERT_EQ(2, directory->count);
    std::vector<int> sizes;
    for (int i = 0; i < directory->count; ++i) {
        const Entry& entry = directory->entries[i];
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(16, entry.colours);
        sizes.push_back(entry.width);
    }
    EXPECT_EQ((std::vector<int>{32, 16}), sizes);
}

TEST(Resources, VersionRecordNamesTheTool) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(test::Wide(path).c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(test::Wide(path).c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(1, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(0x411, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    const auto value = [&block](const wchar_t* key) -> std::wstring {
        wchar_t* text = nullptr;
        UINT chars = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + key;
        if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &chars)) {
            return L"<missing>";
        }
        return std::wstring(text, chars > 0 && text[chars - 1] == 0 ? chars - 1 : chars);
    };
    EXPECT_EQ(Wide("varlo GUI ツール"), value(L"FileDescription"));
    EXPECT_EQ(Wide("varlo GUI ツール"), value(L"ProductName"));
    EXPECT_EQ(L"Ver1.3", value(L"FileVersion"));
    EXPECT_EQ(L"Ver1.4", value(L"ProductVersion"));
    EXPECT_EQ(L"varloGui", value(L"InternalName"));
    EXPECT_EQ(L"varloGui.EXE", value(L"OriginalFilename"));
    EXPECT_FALSE(value(L"LegalCopyright").empty());
    for (const wchar_t* empty :
         {L"Comments", L"CompanyName", L"LegalTrademarks", L"PrivateBuild", L"SpecialBuild"}) {
        EXPECT_EQ(L"", value(empty)) << empty;
    }
}

}  // namespace
}  // namespace varlo
