// The main window: three path fields with their browse buttons, Convert and Exit, the
// auto-convert box and the log. Every event ends in one operation of its controller.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/convert_controller.h"
#include "file_chooser.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace varlo {

class CCaptureReadError;

class CConvertDialog : public QDialog, public IConvertView {
    Q_OBJECT

public:
    CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                   ConverterRunner runner = CConvertController::DefaultRunner(),
                   QWidget* parent = nullptr);
    ~CConvertDialog() override;

    // The program's raw command line (Windows form), or its arguments, program path first.
    void SetCommandLine(const std::string& commandLine);
    void SetArguments(std::vector<std::string> arguments);

    // The control with a resource identifier (IDOK, IDC_INPUT, …), or nullptr.
    QWidget* Control(int id) const;

    std::string GetText(ConvertField field) override;
    void SetText(ConvertField field, const std::string& text) override;
    void MoveCaretToEnd(ConvertField field) override;
    void AppendLog(const std::string& text) override;
    int GetAutoState() override;
    void SetAutoState(int value) override;
    void SetCaption(const std::string& text) override;
    void EnableDrop() override;

public slots:
    // Every way out (Exit, Esc, the close box, a quit signal) ends here: the settings are saved
    // once, while the fields still hold their texts.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();
    void InitDialog();
    // Runs an event's work, or, while another is under way (a conversion chain), queues it to run
    // afterwards in order: one event can never start a conversion inside another.
    void Act(std::function<void()> work, bool busyCursor = true);
    // The file dialog of `kind`, for `field`.
    void Browse(FileDialogKind kind, ConvertField field);
    void ShowAbout();
    void ShowReadError(const CCaptureReadError& error);
    void ShutdownOnce();
    QLineEdit* PathField(ConvertField field) const;

    CConvertController m_controller;
    QCheckBox* m_autoCheck = nullptr;
    QPlainTextEdit* m_logEdit = nullptr;
    QLineEdit* m_execEdit = nullptr;
    QLineEdit* m_inputEdit = nullptr;
    QLineEdit* m_outputEdit = nullptr;
    QIcon m_icon;

    IFileChooser& m_chooser;
    std::map<int, QWidget*> m_controls;
    struct Work {
        std::function<void()> run;
        bool busyCursor;
    };
    std::deque<Work> m_pending;
    QElapsedTimer m_sinceRepaint;
    bool m_busy = false;
    bool m_initialized = false;
    bool m_shutDown = false;
};

}  // namespace varlo
