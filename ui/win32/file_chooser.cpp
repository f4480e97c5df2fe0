#include "file_chooser.h"

#include <commdlg.h>

#include <cstring>
#include <string>

#include "common/system_text.h"
#include "ui/main_window.h"

namespace varlo {

namespace {

// "<filter>\0*.<extension>\0All Files (*.*)\0*.*\0\0", as the dialog takes filters.
std::string FilterOf(const FileDialogTraits& traits) {
    std::string filter;
    const auto add = [&filter](std::string_view text) {
        filter += text;
        filter += '\0';
    };
    add(NativeText(traits.filter));
    add(std::string("*.") + traits.extension);
    add(NativeText(TextId::AllFiles));
    add("*.*");
    return filter;
}

}  // namespace

std::optional<std::string> CFileDialogChooser::Choose(FileDialogKind kind,
                                                      const std::string& startFolder, HWND owner) {
    const FileDialogTraits traits = FileDialogOf(kind);
    const std::string filter = FilterOf(traits);
    // MAX_PATH bytes: a longer choice fails as a cancel does.
    char name[MAX_PATH] = {};
    if (traits.initialName != nullptr) {
        std::strcpy(name, traits.initialName);
    }
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = sizeof name;
    dialog.lpstrDefExt = traits.extension;
    dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    // The converter's captures are made in the current folder, so browsing must not move it.
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (traits.save ? OFN_OVERWRITEPROMPT : 0);
    const BOOL chosen = traits.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    return std::string(name);
}

}  // namespace varlo
