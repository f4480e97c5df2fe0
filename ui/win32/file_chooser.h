// The three file dialogs of the main window, behind an interface so that tests can answer them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "engine/convert_view.h"

namespace varlo {

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // Shows the dialog of `kind` modally over `owner`, open in `startFolder` (the system's choice
    // when empty); the chosen full path (in the ANSI code page), or nothing when the user cancels.
    virtual std::optional<std::string> Choose(FileDialogKind kind, const std::string& startFolder,
                                              HWND owner) = 0;
};

// The system's common file dialogs. They never change the current folder.
class CFileDialogChooser : public IFileChooser {
public:
    std::optional<std::string> Choose(FileDialogKind kind, const std::string& startFolder,
                                      HWND owner) override;
};

}  // namespace varlo
