// The logic of the main window without any window toolkit: start-up, loading an input, the file
// queue, the conversions and their chain, file dialog results, drops, stopping and shutdown.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/status.h"
#include "engine/convert_view.h"
#include "engine/process_runner.h"
#include "engine/progress.h"
#include "engine/scheduler.h"

namespace varlo {

class CProfileStore;

// The window's fields hold the input, output and converter paths, the auto-convert flag and the
// log, and the controller reads them when an operation needs them. What it keeps of its own is
// what the fields cannot say: the input the output was last proposed for and that proposal,
// and the output of every conversion under way.
//
// Conversions run while the window goes on: each one's end comes back through the runner, its
// record is appended, and the next queued file is loaded (and converted, with auto-convert). No
// entry point ever waits for a converter, and none lets an exception out: failures are shown
// through the view.
class CConvertController {
public:
    // With a loop, a long record goes into the log a slice at a time, the window's events
    // handled between them; without one, at once.
    CConvertController(IConvertView& view, CProfileStore& profile, IConversionRunner& runner,
                       IEventLoop* loop = nullptr);
    ~CConvertController();
    CConvertController(const CConvertController&) = delete;
    CConvertController& operator=(const CConvertController&) = delete;

    // The raw command line, program path first, as one string to be split (Windows).
    void SetCommandLine(const std::string& commandLine);
    // The program's arguments as the platform hands them over, program path first (POSIX): each
    // argument stays whole, whatever quotes or blanks it holds.
    void SetArguments(std::vector<std::string> arguments);

    // Window initialisation: queue the arguments, read the settings, set the caption.
    void Start();
    // Once the window shows: load the first queued file (and with auto-convert, convert the queue).
    void StartQueue();

    // The Convert button: converts the fields, or, while conversions run, stops them; a press
    // within the double-click time of the press that started or stopped them is taken for the
    // second half of a double click and ignored.
    void ConvertClicked();
    // The system's double-click time (none until told).
    void SetDoubleClickTime(std::chrono::milliseconds time);
    // A file dialog of `kind` returned a path.
    void FileChosen(FileDialogKind kind, const std::string& path);
    // The folder the file dialog of `kind` opens in: that of the path in the field it serves, or
    // of the input when that field is empty; empty for the current folder.
    std::string StartFolderFor(FileDialogKind kind);
    void InputChosen(const std::string& path);
    void OutputChosen(const std::string& path);
    void ConverterChosen(const std::string& path);
    // Files were dropped on the window. While conversions run they join the queue.
    void FilesDropped(const std::vector<std::string>& paths);
    // Files that other copies of the program were started with ("Open with" on several files):
    // queued as if dropped, except that the log keeps the records of the files before them.
    void FilesHandedOver(const std::vector<std::string>& paths);

    // The user asks to close the window. True when it may close now (the settings are saved);
    // false when conversions are being stopped first: the window is then closed through the view.
    // While conversions run, the user is asked first (unless `ask` is false: a signal, say), and
    // false is also the answer No: nothing changes.
    bool RequestClose(bool ask = true);
    // The session ends: conversions are ended at once and the settings saved before this returns.
    void EndSession();
    // The window is going away; its fields still hold their texts. Saves the settings, once.
    void Shutdown();

    // How many conversions may run at once: the user's choice, saved at once.
    void SetJobs(int jobs);
    int Jobs() const { return static_cast<int>(m_schedule.Jobs()); }
    // The choices worth offering: 1 to the number of processors (and the current one).
    int MostUsefulJobs() const;

    bool Busy() const { return m_schedule.Busy(); }
    const std::string& Section() const { return m_section; }
    const std::deque<std::string>& Queue() const { return m_schedule.Queue(); }
    // How the last batch of conversions ended, once one has.
    const std::optional<BatchOutcome>& LastBatch() const { return m_progress.LastBatch(); }

private:
    // Runs an entry point's work, then whatever it set going; shows any failure through the view.
    // Called from inside another (a message box's own event loop), it only does the work.
    template <class Work>
    void Operation(Work&& work);
    // Appends the records that are due, starts the conversions that are due, and tells the window
    // where things stand. A loop: a queue of any length runs in constant stack.
    void Pump();
    // Appends the due record from where it stands, slice by slice, until it is in or this turn's
    // time is up; the rest follows after the window's next events. True once it is all in.
    bool AppendSlices(const std::string& record);
    // Tells the window where things stand, and closes it when a close was waiting for the stop.
    void Settle();
    void Report(const CStatus& status);

    // Takes the input field as the new input and proposes its output. True when auto-convert
    // asks for the input to be converted now.
    bool LoadInput();
    // Proposes the output for an input and shows the ends of both paths.
    void ProposeOutput(const std::string& input);
    // Starts one conversion for the three fields.
    void StartConversion();
    // Loads the next queued file, or clears the path fields when none is left. True when that
    // file is to be converted at once.
    bool AdvanceQueue();
    void Enqueue(const std::vector<std::string>& paths, bool clearLog);
    void LoadFromQueue();
    void OnFinished(std::size_t number, CStatus status, std::string record, RunOutcome outcome);

    std::string m_cmdLine;
    std::string m_section;
    std::string m_execAtStart;
    std::string m_proposedFor;  // the input the output field was last proposed for
    std::string m_proposal;     // and what was proposed
    IConvertView& m_view;
    CProfileStore& m_profile;
    IConversionRunner& m_runner;
    IEventLoop* m_loop;
    std::size_t m_appended = 0;  // of the due record
    std::unique_ptr<IEventLoop::IWatch> m_nextSlices;
    std::optional<std::vector<std::string>> m_arguments;

    CScheduler m_schedule;  // the queue, the conversions under way, the batch
    CProgress m_progress;   // what the window is told of how far they have come
    bool m_closeWhenIdle = false;
    bool m_asking = false;  // whether to stop and exit
    bool m_inOperation = false;
    bool m_again = false;  // something happened inside an operation that the pump must see
    bool m_shutDown = false;
    bool m_commandLineWaits = false;                     // between Start and StartQueue
    std::chrono::steady_clock::time_point m_startPress;  // of the press that started them
    std::optional<std::chrono::steady_clock::time_point> m_stopPress;  // and that stopped them
    std::chrono::milliseconds m_doubleClickTime{0};
};

}  // namespace varlo
