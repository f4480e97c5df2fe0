// The main window: three path fields with their browse buttons, Convert and Exit, the
// auto-convert box and the log. Every event ends in one operation of its controller.
#pragma once

#include <QDialog>
#include <QIcon>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/convert_controller.h"
#include "file_chooser.h"
#include "launcher_entry.h"
#include "qt_event_loop.h"
#include "ui/main_window.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace varlo {

class CConvertDialog : public QDialog, public IConvertView {
    Q_OBJECT

public:
    // Converters run as processes unless `runner` stands in for them.
    CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                   IConversionRunner* runner = nullptr, QWidget* parent = nullptr);
    ~CConvertDialog() override;

    // Shows a failure to the user and returns when it has been read; a critical message box unless
    // replaced (the tests answer it here).
    using MessageBoxFunction =
        std::function<void(QWidget* owner, const QString& caption, const QString& text)>;
    void SetMessageBox(MessageBoxFunction messageBox) { m_messageBox = std::move(messageBox); }
    // Asks a question and returns true for Yes; a question box with No the default unless
    // replaced (the tests answer it here).
    using QuestionFunction =
        std::function<bool(QWidget* owner, const QString& caption, const QString& text)>;
    void SetQuestionBox(QuestionFunction questionBox) { m_questionBox = std::move(questionBox); }

    // The program's arguments, program path first.
    void SetArguments(std::vector<std::string> arguments);
    const CConvertController& Controller() const { return m_controller; }
    // The desktop session ends: conversions are ended and the settings saved before this returns.
    void EndSession();

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
    void SetBusy(bool busy) override;
    void SetProgress(const ProgressShown& progress) override;
    void ShowError(const std::string& caption, const std::string& message) override;
    bool Ask(const std::string& caption, const std::string& question) override;
    void CloseWindow() override;
    bool IsActive() override;
    void NotifyBatchEnded(const std::string& summary, bool failures) override;

public slots:
    // Every way out (Exit, Esc, the close box, a quit signal) ends here: running conversions are
    // stopped first, and the settings are saved once, while the fields still hold their texts.
    void done(int result) override;
    // A quit signal: the menus and modal windows open over this one close first, their choices
    // dropped, then this one closes as by its close box.
    void Quit();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The user is back: the launcher no longer asks for their eye.
    void changeEvent(QEvent* event) override;

private:
    void CreateControls();
    void InitDialog();
    void Browse(FileDialogKind kind);
    void ShowAbout();
    QLineEdit* PathField(ConvertField field) const;
    // The size and place of the last run, when one is stored and still on a screen.
    void RestorePlace();
    // Once, as the window closes or goes away.
    void SavePlace();
    // A message box for each save that failed since the last one was told.
    void ShowSaveFailure();

    CQtEventLoop m_loop;
    CProcessRunner m_processRunner{m_loop};
    CConvertController m_controller;
    QCheckBox* m_autoCheck = nullptr;
    QPlainTextEdit* m_logEdit = nullptr;
    QLineEdit* m_converterEdit = nullptr;
    QLineEdit* m_inputEdit = nullptr;
    QLineEdit* m_outputEdit = nullptr;
    QPushButton* m_convertButton = nullptr;
    QIcon m_icon;
    CLauncherEntry m_launcher;  // the dock's progress

    CProfileStore& m_profile;
    IFileChooser& m_chooser;
    MessageBoxFunction m_messageBox;
    QuestionFunction m_questionBox;
    std::size_t m_saveFailuresShown = 0;
    bool m_placeSaved = false;
    std::map<int, QWidget*> m_controls;
    // The window's table as laid out for the language of its texts.
    const decltype(MainControls(Language::Japanese)) m_table = MainControls(CurrentLanguage());
    std::vector<QWidget*> m_templateControls;  // in the table's order
    bool m_initialized = false;
    bool m_closing = false;   // the controller has agreed to the close
    bool m_quitting = false;  // a quit signal came: the close asks nothing
};

}  // namespace varlo
