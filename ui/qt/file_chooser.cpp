#include "file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "text_boundary.h"
#include "ui/main_window.h"

namespace varlo {

namespace {

// Shows only programs while the program filter is in force; the model under it shows all.
class CProgramFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void SetProgramsOnly(bool programsOnly) {
        m_programsOnly = programsOnly;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!m_programsOnly) {
            return true;
        }
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        return files == nullptr || ShownAsProgram(files->fileInfo(files->index(row, 0, parent)));
    }

private:
    bool m_programsOnly = true;
};

}  // namespace

QStringList NameFilters(FileDialogKind kind) {
    // The dialog hides the last "(…)" of each filter: the text before it is what the user reads.
    // File names match in any case here, as they do on Windows. Any executable file may be the
    // converter: a program has no extension of its own here.
    const FileDialogTraits traits = FileDialogOf(kind);
    const QString extension = QString::fromLatin1(traits.extension);
    // What the user reads names the field's own pattern; the patterns in force follow, hidden.
    const QString own =
        kind == FileDialogKind::Converter
            ? ToQString(TextId::ProgramFiles) + QStringLiteral(" (*)")
            : ToQString(traits.filter) + QStringLiteral(" (*.") + extension +
                  QStringLiteral(") (*.%1 *.%2 *.%3)")
                      .arg(extension, extension.toUpper(),
                           extension.left(1).toUpper() + extension.mid(1));
    return {own, ToQString(TextId::AllFiles) + QStringLiteral(" (*)")};
}

bool ShownAsProgram(const QFileInfo& file) {
    return file.isDir() || (file.isFile() && file.isExecutable());
}

std::string WithDefaultSuffix(FileDialogKind kind, const std::string& path) {
    const FileDialogTraits traits = FileDialogOf(kind);
    if (traits.save || kind == FileDialogKind::Converter || path.empty() || PathExists(path) ||
        !SplitPath(path).extension.empty()) {
        return path;
    }
    return path + "." + traits.extension;
}

std::optional<std::string> CFileDialogChooser::Choose(FileDialogKind kind,
                                                      const std::string& startFolder,
                                                      QWidget* parent) {
    const FileDialogTraits traits = FileDialogOf(kind);
    QFileDialog dialog(parent);
    // Qt's own dialog: it takes a filtering model, and the filters' texts read as written.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(traits.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a name that does not exist is accepted too
    if (traits.save) {
        dialog.setDefaultSuffix(QString::fromLatin1(traits.extension));  // asks before overwriting
    }
    const QStringList filters = NameFilters(kind);
    dialog.setNameFilters(filters);
    const QString folder = QDir::current().absoluteFilePath(ToQString(startFolder));
    dialog.setDirectory(!startFolder.empty() && QFileInfo(folder).isDir() ? folder
                                                                          : QDir::currentPath());
    if (kind == FileDialogKind::Converter) {
        auto* programs = new CProgramFilter(&dialog);
        dialog.setProxyModel(programs);
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, programs, [programs](const QString& filter) {
                programs->SetProgramsOnly(filter.startsWith(ToQString(TextId::ProgramFiles)));
            });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return WithDefaultSuffix(kind, ToBytes(dialog.selectedFiles().first()));
}

}  // namespace varlo
