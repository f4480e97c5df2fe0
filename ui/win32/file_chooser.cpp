#include "file_chooser.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "common/code_page.h"
#include "texts.h"
#include "ui/main_window.h"

namespace varlo {

namespace {

// "<filter> (<patterns>)\0<patterns>\0All Files (*.*)\0*.*\0\0", as the dialog takes filters, in
// the user's language.
std::wstring FilterOf(const FileDialogTraits& traits) {
    std::wstring filter;
    const auto add = [&filter](TextId text, const char* patterns) {
        const std::wstring wide = AnsiToWide(patterns);
        filter += UiText(text) + L" (" + wide + L")";
        filter += L'\0';
        filter += wide;
        filter += L'\0';
    };
    add(traits.filter, traits.patterns);
    add(TextId::AllFiles, "*.*");
    return filter;
}

}  // namespace

std::optional<std::string> CFileDialogChooser::Choose(FileDialogKind kind,
                                                      const std::string& startFolder, HWND owner) {
    const FileDialogTraits traits = FileDialogOf(kind);
    const std::wstring filter = FilterOf(traits);
    // The wide dialogs, with room for the longest path Windows has: in the ANSI code page (UTF-8
    // here) MAX_PATH bytes hold fewer than 90 Japanese characters.
    std::vector<wchar_t> name(32768, L'\0');
    if (traits.initialName != nullptr) {
        AnsiToWide(traits.initialName).copy(name.data(), name.size() - 1);
    }
    const std::wstring folder = AnsiToWide(startFolder);
    const std::wstring extension = AnsiToWide(traits.extension);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrDefExt = extension.c_str();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // The converter's captures are made in the current folder, so browsing must not move it. A
    // read-only box would ask what nobody here can answer.
    dialog.Flags =
        OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | (traits.save ? OFN_OVERWRITEPROMPT : 0);
    const BOOL chosen = traits.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    return FromWide(name.data(), CP_ACP);
}

}  // namespace varlo
