// The logic of the main window without any window toolkit: start-up, loading an input, the file
// queue, the auto-convert chain, file dialog results, drops and shutdown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/profile_store.h"

namespace varlo {

enum class ConvertField { Input, Output, Converter, Log };

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
    // The auto-convert box: 0 clear, non-zero checked.
    virtual int GetAutoState() = 0;
    virtual void SetAutoState(int value) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void EnableDrop() = 0;
};

// Runs the converter for one input and output and returns the conversion record.
using ConverterRunner = std::function<std::string(
    const std::string& converter, const std::string& input, const std::string& output)>;

// The window's fields hold the input, output and converter paths, the auto-convert flag and the
// log; the controller keeps no copy of them and reads them when an operation needs them.
//
// Operations that convert may throw CCaptureReadError: the conversion is then abandoned with no
// record appended and the queue not advanced, and the window reports the error.
class CConvertController {
public:
    CConvertController(IConvertView& view, CProfileStore& profile,
                       ConverterRunner runner = DefaultRunner());

    // The raw command line, program path first, as one string to be split (Windows).
    void SetCommandLine(const std::string& commandLine);
    // The program's arguments as the platform hands them over, program path first (POSIX): each
    // argument stays whole, whatever quotes or blanks it holds.
    void SetArguments(std::vector<std::string> arguments);

    // Window initialisation: queue the arguments, read the settings, set the caption.
    void Start();
    // Right after Start: load the first queued file (and with auto-convert, convert the queue).
    void StartQueue();

    void ConvertClicked();
    void InputChosen(const std::string& path);
    void OutputChosen(const std::string& path);
    void ConverterChosen(const std::string& path);
    void FilesDropped(const std::vector<std::string>& paths);
    // The window is going away; its fields still hold their texts. Saves the settings.
    void Shutdown();

    const std::string& Section() const { return m_section; }
    const std::deque<std::string>& Queue() const { return m_queue; }

    static ConverterRunner DefaultRunner();

private:
    // Takes the input field as the new input and proposes its output. True when auto-convert
    // asks for the input to be converted now.
    bool LoadInput();
    // Converts the fields, then works through the queue for as long as auto-convert asks for it:
    // a loop, so that a queue of any length runs in constant stack.
    void Convert();
    // After a conversion: loads the next queued file or clears the path fields. True when that
    // file is to be converted at once.
    bool AdvanceQueue();
    // Puts the front of the queue into the input field and loads it; converts when asked to.
    void LoadFromQueue();

    std::string m_cmdLine;
    std::deque<std::string> m_queue;
    std::string m_section;
    std::string m_execAtStart;
    IConvertView& m_view;
    CProfileStore& m_profile;
    ConverterRunner m_runner;
    std::optional<std::vector<std::string>> m_arguments;
};

}  // namespace varlo
