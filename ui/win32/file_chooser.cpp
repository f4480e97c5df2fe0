#include "file_chooser.h"

#include <commdlg.h>

#include <cstring>

namespace varlo {

namespace {

struct DialogTraits {
    bool save;
    const char* filter;
    const char* defaultExtension;
    const char* initialName;  // or nullptr
};

// Each filter string ends in two NULs: the literal's own and the one written here.
DialogTraits TraitsOf(FileDialogKind kind) {
    switch (kind) {
        case FileDialogKind::Input:
            return {false, "WAV Files (*.wav)\0*.wav\0All Files (*.*)\0*.*\0", "wav", nullptr};
        case FileDialogKind::Output:
            return {true, "AAC Files (*.aac)\0*.aac\0All Files (*.*)\0*.*\0", "aac", nullptr};
        case FileDialogKind::Converter:
            return {false, "Program Files (*.exe)\0*.exe\0All Files (*.*)\0*.*\0", "exe",
                    "varlo.exe"};
    }
    return {false, "All Files (*.*)\0*.*\0", nullptr, nullptr};
}

}  // namespace

std::optional<std::string> CFileDialogChooser::Choose(FileDialogKind kind,
                                                      const std::string& startFolder, HWND owner) {
    const DialogTraits traits = TraitsOf(kind);
    // MAX_PATH bytes: a longer choice fails as a cancel does.
    char name[MAX_PATH] = {};
    if (traits.initialName != nullptr) {
        std::strcpy(name, traits.initialName);
    }
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = traits.filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = sizeof name;
    dialog.lpstrDefExt = traits.defaultExtension;
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
