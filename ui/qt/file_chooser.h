// The three file dialogs of the main window, behind an interface so that tests can answer them.
#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "engine/convert_view.h"

class QFileInfo;
class QWidget;

namespace varlo {

class IFileChooser {
public:
    virtual ~IFileChooser() = default;
    // Shows the dialog of `kind` modally over `parent`, open in `startFolder` (the current folder
    // when that is empty or no folder); the chosen full path, or nothing when the user cancels.
    virtual std::optional<std::string> Choose(FileDialogKind kind, const std::string& startFolder,
                                              QWidget* parent) = 0;
};

// Qt's own file dialog, the same on every desktop. It never changes the current folder.
class CFileDialogChooser : public IFileChooser {
public:
    std::optional<std::string> Choose(FileDialogKind kind, const std::string& startFolder,
                                      QWidget* parent) override;
};

// The filters of a dialog, first the one in force when it opens: the field's own files
// ("WAV Files (*.wav)", for the converter "Programs"), then "All Files", names without a dot
// too.
QStringList NameFilters(FileDialogKind kind);

// True for what the "Programs" filter shows: folders and executable files.
bool ShownAsProgram(const QFileInfo& file);

// The dialog's default extension for a chosen path: the input dialog adds it to a name without
// extension that does not exist (a typed name); programs have none to add.
std::string WithDefaultSuffix(FileDialogKind kind, const std::string& path);

}  // namespace varlo
