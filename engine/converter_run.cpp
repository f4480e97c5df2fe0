#include "engine/converter_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/system_text.h"
#include "engine/core/path_parts.h"
#include "engine/platform/console_text.h"
#include "engine/platform/file_names.h"
#include "engine/platform/watchdog.h"

namespace varlo {

namespace {

// Conversions under way, so that a program that ends through exit() still ends them and leaves no
// capture behind. Only the window's thread makes conversions.
std::vector<CConverterRun*>& LiveRuns() {
    static auto* live =
        new std::vector<CConverterRun*>;  // never destroyed: exit() may still need it
    return *live;
}

void EndLiveRuns() {
    while (!LiveRuns().empty()) {
        LiveRuns().back()->Abandon();
    }
}

// Appends the capture's lines to the printed text, then lets the capture go.
CStatus TakeCapture(CCaptureFile& capture, std::string& record, CPrintedText& text) {
    if (!capture.IsOpen()) {
        return {};
    }
    // Room for what is kept and a CR for every 32 bytes of it, so that a converter that prints a
    // lot does not make the record copy itself over and over while it grows.
    const std::size_t size = std::min(capture.Size(), 3 * kKeepEnd);
    record.reserve(record.size() + size + size / 32 + 2);
    CCaptureLineReader reader(text);
    CStatus status = capture.ReadInto(reader);
    if (status.Ok()) {
        capture.Remove();
    }
    return status;
}

// The line that stands for what a record leaves out: "… 31.4 MB of converter output not shown …".
std::string OmittedLine(std::size_t bytes) {
    char megabytes[32];
    std::snprintf(megabytes, sizeof megabytes, "%.1f", static_cast<double>(bytes) / 1e6);
    return NativeText(TextId::OutputNotShown, {megabytes}) + "\r\n";
}

std::string FileName(std::string_view path) {
    PathParts parts = SplitPath(path);
    return parts.baseName + parts.extension;
}

}  // namespace

std::string RecordHeader(std::string_view input, std::string_view output) {
    return FileName(input) + " -> " + FileName(output) + "\r\n";
}

std::string OutcomeLine(const CStatus& started, const ProcessEnd& end, bool stopped) {
    if (stopped) {
        return NativeText(TextId::Stopped) + "\r\n";
    }
    if (!started.Ok()) {
        return NativeText(TextId::NotStarted) + "\r\n";
    }
    if (end.kind == ProcessEnd::Kind::Unknown) {
        return NativeText(TextId::EndUnknown) + "\r\n";
    }
    if (end.kind == ProcessEnd::Kind::Signalled) {
        std::string signal = std::to_string(end.value);
        if (const std::string name = SignalName(end.value); !name.empty()) {
            signal += " (" + name + ")";
        }
        return NativeText(TextId::EndedBySignal, {signal}) + "\r\n";
    }
    if (end.value != 0) {
        // Windows reports a crash as an exit status such as 0xC0000005, which reads best in hex.
        const auto code = static_cast<unsigned>(end.value);
        std::string shown = std::to_string(code);
        if (code > 0xFFFF) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", code);
            shown += std::string(" (") + hex + ")";
        }
        return NativeText(TextId::ExitedWith, {shown}) + "\r\n";
    }
    return {};
}

CConverterRun::CConverterRun(const std::string& converter, const std::string& input,
                             const std::string& output, const ConverterStarter& starter)
    : m_input(input),
      m_output(output),
      m_outputExisted(output.empty() || KindOfName(output) != NameKind::None) {
    static const bool registered = std::atexit(&EndLiveRuns) == 0;
    (void)registered;
    LiveRuns().push_back(this);
    m_started = m_outputCapture.Create();
    if (m_started.Ok()) {
        m_started = m_errorCapture.Create();
    }
    if (!m_started.Ok()) {
        m_outputCapture.Remove();
        return;
    }
    // The header keeps the names as given; only the converter sees "./-…".
    m_started = starter(converter, ConverterArgumentPath(input), ConverterArgumentPath(output),
                        {m_outputCapture.Handle(), m_errorCapture.Handle()}, m_process);
    m_group = m_process.Group();
    WatchConversion(m_group, m_output, m_outputExisted);
}

CConverterRun::~CConverterRun() {
    Abandon();
}

void CConverterRun::Abandon() {
    std::vector<CConverterRun*>& live = LiveRuns();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (!m_finished) {
        Stop();
        Kill();
        Wait();
        std::string ignored;
        Finish(ignored);
    }
}

bool CConverterRun::Ended() {
    if (!m_process.Running()) {
        return true;
    }
    if (const std::optional<ProcessEnd> end = m_process.Poll()) {
        m_end = *end;
        return true;
    }
    return false;
}

void CConverterRun::Wait() {
    if (m_process.Running()) {
        m_end = m_process.Wait();
    }
}

void CConverterRun::Stop() {
    // One that has ended on its own by now ends as it ended: its output is complete.
    if (m_stopped || Ended()) {
        return;
    }
    m_stopped = true;
    m_process.Terminate();
}

RunOutcome CConverterRun::Outcome() const {
    if (m_stopped) {
        return RunOutcome::Stopped;
    }
    return m_started.Ok() && m_end.Succeeded() ? RunOutcome::Succeeded : RunOutcome::Failed;
}

void CConverterRun::Kill() {
    m_process.Kill();
}

CStatus CConverterRun::Finish(std::string& record) {
    m_finished = true;
    // Whatever happens below, this conversion is accounted for.
    struct Forget {
        long group;
        ~Forget() { ForgetConversion(group); }
    } forget{m_group};
    record = RecordHeader(m_input, m_output);
    if (!m_outputCapture.IsOpen() && !m_errorCapture.IsOpen()) {
        // No capture could be made, so the converter did not run: say why under the header rather
        // than look like success.
        record += m_started.Message() + "\r\n" + OutcomeLine(m_started, m_end, m_stopped);
        return {};
    }
    const std::size_t printed = record.size();
    CPrintedText text(record);
    if (CStatus status = TakeCapture(m_errorCapture, record, text); !status.Ok()) {
        return status;
    }
    if (CStatus status = TakeCapture(m_outputCapture, record, text); !status.Ok()) {
        return status;
    }
    if (const std::optional<CPrintedText::Gap> gap = text.Finish()) {
        // The line about the gap is the program's own: only the printed parts are console text.
        std::string last = record.substr(gap->at);
        record.resize(gap->at);
        ConvertConsoleText(record, printed);
        ConvertConsoleText(last, 0);
        record += (gap->midLine ? "\r\n" : "") + OmittedLine(gap->omitted) + last;
    } else {
        ConvertConsoleText(record, printed);
    }
    // A stopped conversion leaves no half-written output behind; what was there before stays,
    // and a link is never taken for the converter's file.
    if (m_stopped && !m_outputExisted && KindOfName(m_output) == NameKind::Other) {
        RemoveFile(m_output);
    }
    record += OutcomeLine(m_started, m_end, m_stopped);
    return {};
}

}  // namespace varlo
