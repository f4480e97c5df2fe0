// What the engine needs of its window, and the names the windows share with it.
#pragma once

#include <cstddef>
#include <string>

#include "engine/core/convert_field.h"
#include "engine/progress.h"

namespace varlo {

// The three file dialogs of the window, each serving one field.
enum class FileDialogKind { Input, Output, Converter };

// What the controller needs of its window. Every operation acts on the window at once.
class IConvertView {
public:
    virtual ~IConvertView() = default;

    virtual std::string GetText(ConvertField field) = 0;
    virtual void SetText(ConvertField field, const std::string& text) = 0;
    // An empty selection at the end of the text, scrolled into view (a long path shows its name).
    virtual void MoveCaretToEnd(ConvertField field) = 0;
    // Adds text at the end of the log, puts the caret after it and scrolls to it.
    virtual void AppendLog(const std::string& text) = 0;
    // How much of a long record the log takes in one AppendLog: a slice takes it a few
    // milliseconds.
    virtual std::size_t LogSliceBytes() { return 16 * 1024; }
    // The auto-convert box: 0 clear, non-zero checked.
    virtual int GetAutoState() = 0;
    virtual void SetAutoState(int value) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void EnableDrop() = 0;

    // While conversions run, the Convert button reads "中止" and stops them, and the path fields
    // and their browse buttons are read-only.
    virtual void SetBusy(bool busy) = 0;
    // How far the conversions have come; all empty when idle.
    virtual void SetProgress(const ProgressShown& progress) = 0;
    // Tells the user of a failure in a message box with the given caption; returns when the box
    // has been closed.
    virtual void ShowError(const std::string& caption, const std::string& message) = 0;
    // Asks a question with the buttons Yes and No, No the default; true for Yes. Returns when it
    // has been answered.
    virtual bool Ask(const std::string& caption, const std::string& question) = 0;
    // Closes the window, once a close that had to wait for conversions to stop can go ahead. The
    // settings are saved already.
    virtual void CloseWindow() = 0;
    // True while the window is the one the user works in.
    virtual bool IsActive() = 0;
    // A batch that took a while has ended while the user was elsewhere: tell them, once, in the
    // desktop's way. `failures` when a conversion failed or was stopped.
    virtual void NotifyBatchEnded(const std::string& summary, bool failures) = 0;
};

}  // namespace varlo
