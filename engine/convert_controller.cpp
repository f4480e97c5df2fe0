#include "engine/convert_controller.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "common/system_text.h"
#include "engine/core/arguments.h"
#include "engine/core/capture_lines.h"
#include "engine/core/path_parts.h"
#include "engine/core/start_folder.h"
#include "engine/output_path.h"
#include "engine/platform/file_names.h"
#include "settings/settings.h"

namespace varlo {

namespace {
// The section of a program whose own path has no base name.
constexpr char kFallbackSection[] = "varloGui";
// Each file's size when it is queued: the measure of its work.
std::vector<std::optional<std::uint64_t>> SizesOf(const std::vector<std::string>& paths) {
    std::vector<std::optional<std::uint64_t>> sizes;
    sizes.reserve(paths.size());
    for (const std::string& path : paths) {
        sizes.push_back(path.empty() ? std::nullopt : FileSize(PathFromField(path)));
    }
    return sizes;
}
// A turn of slices leaves the window's events no more than this to wait (a window whose loop
// comes back only after a timer's 10 ms still spends most of its time on the record).
constexpr std::chrono::milliseconds kSliceTurn{16};
}  // namespace

CConvertController::CConvertController(IConvertView& view, CProfileStore& profile,
                                       IConversionRunner& runner, IEventLoop* loop)
    : m_view(view), m_profile(profile), m_runner(runner), m_loop(loop), m_progress(view) {}

// Conversions still running end with their controller, and leave nothing half-written behind.
CConvertController::~CConvertController() = default;

void CConvertController::SetCommandLine(const std::string& commandLine) {
    m_cmdLine = commandLine;
}

void CConvertController::SetArguments(std::vector<std::string> arguments) {
    m_arguments = std::move(arguments);
}

template <class Work>
void CConvertController::Operation(Work&& work) {
    if (m_inOperation) {
        try {
            work();
        } catch (...) {
            Report(StatusFromCurrentException());
        }
        m_again = true;
        return;
    }
    m_inOperation = true;
    try {
        work();
    } catch (...) {
        Report(StatusFromCurrentException());
    }
    do {
        m_again = false;
        try {
            Pump();
        } catch (...) {
            m_schedule.SetChaining(false);
            Report(StatusFromCurrentException());
        }
        if (!m_again) {
            try {
                Settle();
            } catch (...) {
                Report(StatusFromCurrentException());
            }
        }
    } while (m_again);
    m_inOperation = false;
}

void CConvertController::Start() {
    Operation([this] {
        std::vector<std::string> tokens = m_arguments ? *m_arguments : SplitArguments(m_cmdLine);
        m_arguments.reset();
        std::string program;
        if (!tokens.empty()) {
            program = std::move(tokens.front());
            tokens.erase(tokens.begin());
        }
        m_schedule.Enqueue(tokens, SizesOf(tokens));
        m_section = SplitPath(program).baseName;
        if (m_section.empty()) {
            m_section = kFallbackSection;
        }

        const Settings settings = ReadSettings(m_profile, m_section);
        m_execAtStart = settings.execFile;
        m_view.SetText(ConvertField::Converter, settings.execFile);
        m_view.SetAutoState(settings.autoExec);
        m_schedule.SetJobs(static_cast<std::size_t>(settings.jobs));

        m_progress.SetSection(m_section);
        m_view.EnableDrop();
        m_commandLineWaits = true;
    });
}

void CConvertController::StartQueue() {
    Operation([this] {
        // The window may have been used before this came: then the command line's files have
        // joined what the user did, and wait their turn behind it.
        if (std::exchange(m_commandLineWaits, false) && !m_schedule.Queue().empty() && !Busy()) {
            LoadFromQueue();
        }
    });
}

void CConvertController::ConvertClicked() {
    Operation([this] {
        m_commandLineWaits = false;
        const auto now = std::chrono::steady_clock::now();
        if (Busy()) {
            // The second half of a double click on the button that started them.
            if (now - m_startPress >= m_doubleClickTime) {
                m_schedule.Stop();
                m_stopPress = now;
            }
            return;
        }
        // The second half of a double click on the button that stopped them: the stop may well
        // have ended everything by now, and a new run would clear its record.
        if (m_stopPress && now - *m_stopPress < m_doubleClickTime) {
            return;
        }
        m_view.SetText(ConvertField::Log, "");
        // The output gets a proposal when it has none, or still holds the one made for another
        // input; an output the user typed or chose is never replaced.
        const std::string input = PathFromField(m_view.GetText(ConvertField::Input));
        if (!input.empty()) {
            const std::string output = PathFromField(m_view.GetText(ConvertField::Output));
            if (output.empty() || (input != m_proposedFor && output == m_proposal)) {
                ProposeOutput(input);
            }
        }
        StartConversion();
        m_startPress = now;
    });
}

void CConvertController::SetDoubleClickTime(std::chrono::milliseconds time) {
    m_doubleClickTime = time;
}

void CConvertController::FileChosen(FileDialogKind kind, const std::string& path) {
    switch (kind) {
        case FileDialogKind::Input:
            InputChosen(path);
            break;
        case FileDialogKind::Output:
            OutputChosen(path);
            break;
        case FileDialogKind::Converter:
            ConverterChosen(path);
            break;
    }
}

std::string CConvertController::StartFolderFor(FileDialogKind kind) {
    const ConvertField field = kind == FileDialogKind::Input    ? ConvertField::Input
                               : kind == FileDialogKind::Output ? ConvertField::Output
                                                                : ConvertField::Converter;
    return DialogStartFolder(field, m_view.GetText(field), m_view.GetText(ConvertField::Input));
}

void CConvertController::InputChosen(const std::string& path) {
    Operation([this, &path] {
        m_commandLineWaits = false;
        if (Busy()) {
            return;  // the fields belong to the conversions until they end
        }
        m_view.SetText(ConvertField::Input, path);
        if (LoadInput()) {
            StartConversion();
        }
    });
}

void CConvertController::OutputChosen(const std::string& path) {
    Operation([this, &path] {
        if (Busy()) {
            return;
        }
        m_view.SetText(ConvertField::Output, path);
        m_view.MoveCaretToEnd(ConvertField::Output);
    });
}

void CConvertController::ConverterChosen(const std::string& path) {
    Operation([this, &path] {
        if (Busy()) {
            return;
        }
        // Quotes group the words of the converter text and are removed: no writing of it keeps
        // a '"' of the path. Say so, and leave the field as it was.
        if (path.find('"') != std::string::npos) {
            m_view.ShowError(m_section, path + ": " + NativeText(TextId::ConverterHoldsQuote));
            return;
        }
        // The converter text is cut into words at blanks: a chosen path that holds one must
        // stay one word.
        const std::string converter =
            path.find_first_of(" \t") == std::string::npos ? path : "\"" + path + "\"";
        m_view.SetText(ConvertField::Converter, converter);
        m_view.MoveCaretToEnd(ConvertField::Converter);
        WriteExecFile(m_profile, m_section, converter);
    });
}

void CConvertController::FilesDropped(const std::vector<std::string>& paths) {
    Enqueue(paths, /*clearLog=*/true);
}

void CConvertController::FilesHandedOver(const std::vector<std::string>& paths) {
    Enqueue(paths, /*clearLog=*/false);
}

void CConvertController::Enqueue(const std::vector<std::string>& paths, bool clearLog) {
    Operation([this, &paths, clearLog] {
        if (paths.empty()) {
            return;
        }
        const bool wasEmpty = m_schedule.Queue().empty();
        m_schedule.Enqueue(paths, SizesOf(paths));
        // While conversions run, the new files wait their turn; the log is theirs.
        if (!wasEmpty || Busy()) {
            return;
        }
        if (clearLog) {
            m_view.SetText(ConvertField::Log, "");
        }
        LoadFromQueue();
    });
}

void CConvertController::SetJobs(int jobs) {
    Operation([this, jobs] {
        const int allowed = std::clamp(jobs, 1, kMaxJobs);
        m_schedule.SetJobs(static_cast<std::size_t>(allowed));
        WriteJobs(m_profile, m_section, allowed);
    });
}

int CConvertController::MostUsefulJobs() const {
    const int processors = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(std::max(processors, Jobs()), 1, kMaxJobs);
}

bool CConvertController::RequestClose(bool ask) {
    if (ask && Busy() && !m_closeWhenIdle) {
        // One question at a time: a second Esc while it shows changes nothing.
        if (m_asking) {
            return false;
        }
        m_asking = true;
        const bool stop = m_view.Ask(m_section, NativeText(TextId::StopAndExit));
        m_asking = false;
        if (!stop) {
            return false;
        }
    }
    if (!Busy()) {
        Shutdown();
        return true;
    }
    Operation([this] {
        m_closeWhenIdle = true;
        m_schedule.Stop();
    });
    return false;
}

void CConvertController::EndSession() {
    Operation([this] {
        m_closeWhenIdle = false;
        m_schedule.StopNow();
    });
    Shutdown();
}

void CConvertController::Shutdown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    WriteAutoExec(m_profile, m_section, m_view.GetAutoState());
    const std::string converter = m_view.GetText(ConvertField::Converter);
    if (converter != m_execAtStart) {
        WriteExecFile(m_profile, m_section, converter);
    }
}

bool CConvertController::LoadInput() {
    const std::string input = PathFromField(m_view.GetText(ConvertField::Input));
    if (input.empty()) {
        return false;
    }
    ProposeOutput(input);
    return m_view.GetAutoState() != 0;
}

void CConvertController::ProposeOutput(const std::string& input) {
    m_proposedFor = input;
    // A file that a running conversion will write is taken already, however its name is written.
    const auto reserved = [this](const std::string& path) {
        return m_schedule.Reserved(FileKey(path));
    };
    m_proposal = ProposeOutputPath(input, reserved);
    m_view.SetText(ConvertField::Output, m_proposal);
    m_view.MoveCaretToEnd(ConvertField::Input);
    m_view.MoveCaretToEnd(ConvertField::Output);
}

void CConvertController::StartConversion() {
    const std::string converter = m_view.GetText(ConvertField::Converter);
    const std::string input = PathFromField(m_view.GetText(ConvertField::Input));
    const std::string output = PathFromField(m_view.GetText(ConvertField::Output));
    if (!m_schedule.InBatch()) {
        m_startPress = {};  // not (yet) started by a press of the button
        m_progress.BatchBegins();
    }
    m_schedule.SetChaining(true);
    const std::size_t number = m_schedule.Begin(FileKey(output), FileSize(input));
    // The end may be reported before Start returns; inside an operation it only marks the entry.
    std::unique_ptr<IRunningConversion> running;
    try {
        running =
            m_runner.Start(converter, input, output,
                           [this, number](CStatus status, std::string record, RunOutcome outcome) {
                               OnFinished(number, std::move(status), std::move(record), outcome);
                           });
    } catch (...) {
        // Nothing runs: the entry ends here, and the failure is told in its turn.
        m_schedule.End(number, StatusFromCurrentException(), {}, RunOutcome::Failed);
        m_again = true;
        return;
    }
    m_schedule.Attach(number, std::move(running));
}

void CConvertController::OnFinished(std::size_t number, CStatus status, std::string record,
                                    RunOutcome outcome) {
    Operation([&] { m_schedule.End(number, std::move(status), std::move(record), outcome); });
}

bool CConvertController::AdvanceQueue() {
    if (!m_schedule.Queue().empty()) {
        m_view.SetText(ConvertField::Input, m_schedule.TakeNext());
        return LoadInput();
    }
    m_view.SetText(ConvertField::Input, "");
    m_view.SetText(ConvertField::Output, "");
    return false;
}

void CConvertController::LoadFromQueue() {
    m_commandLineWaits = false;
    if (AdvanceQueue()) {
        StartConversion();
    }
}

void CConvertController::Pump() {
    for (;;) {
        // A record still going in holds back the next.
        if (const std::string* record = m_schedule.DueRecord()) {
            bool whole = false;
            try {
                whole = AppendSlices(*record);
            } catch (...) {
                // A log that cannot take it loses the record, as one that was never read.
                m_appended = 0;
                m_schedule.TakeDue();
                throw;
            }
            if (!whole) {
                break;
            }
            m_appended = 0;
        }
        std::optional<CScheduler::Finished> due = m_schedule.TakeDue();
        if (!due) {
            break;
        }
        if (!due->status.Ok()) {
            // The conversion is abandoned: no record, and the chain stops at this file.
            m_schedule.SetChaining(false);
            Report(due->status);
        }
    }

    while (m_schedule.MayStartAnother()) {
        if (m_schedule.Queue().empty()) {
            if (!Busy()) {
                AdvanceQueue();  // all done: the path fields are cleared
                m_schedule.SetChaining(false);
            }
            break;
        }
        if (!AdvanceQueue()) {
            m_schedule.SetChaining(false);  // the file loaded waits for the Convert button
            break;
        }
        StartConversion();
        if (m_again) {
            return;  // it has ended already: its record comes first
        }
    }

    if (m_schedule.StopSettled()) {
        // Files dropped while the conversions were stopping are a batch of their own.
        if (std::optional<BatchOutcome> ended = m_schedule.TakeBatchEnd()) {
            m_progress.BatchEnded(*ended);
        }
        // What was queued went with the stop.
        m_view.SetText(ConvertField::Input, "");
        m_view.SetText(ConvertField::Output, "");
        // Files dropped while the conversions were stopping are loaded, as on an idle window.
        if (!m_schedule.Queue().empty() && !m_closeWhenIdle) {
            LoadFromQueue();
        }
    }
}

bool CConvertController::AppendSlices(const std::string& record) {
    const auto turnEnds = std::chrono::steady_clock::now() + kSliceTurn;
    while (m_appended < record.size()) {
        const std::size_t end = SliceEnd(record, m_appended, m_view.LogSliceBytes());
        m_view.AppendLog(record.substr(m_appended, end - m_appended));
        m_appended = end;
        if (m_appended < record.size() && m_loop != nullptr &&
            std::chrono::steady_clock::now() >= turnEnds) {
            m_nextSlices =
                m_loop->After(std::chrono::milliseconds(0), [this] { Operation([] {}); });
            return false;
        }
    }
    return true;
}

void CConvertController::Settle() {
    if (std::optional<BatchOutcome> ended = m_schedule.TakeBatchEnd()) {
        m_progress.BatchEnded(*ended);
    }
    m_progress.Show(m_schedule);
    if (!Busy() && m_closeWhenIdle) {
        m_closeWhenIdle = false;
        Shutdown();
        m_view.CloseWindow();
    }
}

void CConvertController::Report(const CStatus& status) {
    std::string message;
    switch (status.GetCode()) {
        case CStatus::Code::ReadFailed:
            message = NativeText(TextId::ReadError, {status.Subject()});
            break;
        case CStatus::Code::Exception:
            message = status.Subject();
            break;
        default:
            message = status.Message();
            break;
    }
    m_view.ShowError(m_section, message);
}

}  // namespace varlo
