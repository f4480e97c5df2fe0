#include <windows.h>

#include <vector>

#include "common/system_text.h"
#include "common/text.h"
#include "engine/core/path_parts.h"
#include "engine/core/windows_command_line.h"
#include "engine/platform/capture_file.h"
#include "engine/platform/converter_process.h"
#include "engine/platform/environment_names.h"

namespace varlo {

// The converter's process, and the job that holds it and everything it starts. Closing the job
// ends them all, so a converter never outlives the program, even one that is killed.
struct CConverterProcess::State {
    CScopedHandle process;
    CScopedHandle job;  // none where the system would not give the converter one
    std::optional<ProcessEnd> end;
};

namespace {

// The exit status of a converter ended by a stop. Windows has no signals: the record says it was
// stopped, not this.
constexpr UINT kStoppedExitCode = 1;

HANDLE Native(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle Owned(HANDLE handle) {
    return reinterpret_cast<NativeHandle>(handle);
}

void WriteLine(NativeHandle errorCapture, const std::string& line) {
    WriteAll(errorCapture, line + "\r\n");  // the record tells of a failure here
}

CStatus NotStarted(const std::string& program, DWORD error, NativeHandle errorCapture) {
    CStatus status = CStatus::Error(CStatus::Code::NotStarted, program, static_cast<int>(error));
    WriteLine(errorCapture, status.Message());
    return status;
}

// The program as the command interpreter finds it: the name as given when it has an extension,
// else the name with .exe, .com, .bat or .cmd; in the program's folder, the current folder, the
// system folders and along PATH. Empty when there is no such file.
std::string FindProgram(const std::string& word) {
    const bool hasExtension = !SplitPath(word).extension.empty();
    std::vector<char> found(32 * 1024);
    for (const char* extension : {".exe", ".com", ".bat", ".cmd"}) {
        const DWORD length = SearchPathA(nullptr, word.c_str(), hasExtension ? nullptr : extension,
                                         static_cast<DWORD>(found.size()), found.data(), nullptr);
        if (length > 0 && length < found.size()) {
            const DWORD attributes = GetFileAttributesA(found.data());
            if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                return std::string(found.data(), length);
            }
        }
        if (hasExtension) {
            break;
        }
    }
    return {};
}

std::string CommandInterpreter() {
    char path[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableA("COMSPEC", path, sizeof path);
    if (length > 0 && length < sizeof path) {
        return std::string(path, length);
    }
    const UINT system = GetSystemDirectoryA(path, sizeof path);
    return (system > 0 && system < sizeof path ? std::string(path, system) + "\\" : "") + "cmd.exe";
}

// What CreateProcess is given: the program it runs and the command line that program reads.
struct Command {
    std::string application;
    std::string line;
};

// The command for the converter's words, the program found for the first, and the two names.
// A name that cannot be handed over safely is reported to the error capture and refused.
CStatus BuildCommand(const std::vector<std::string>& words, const std::string& program,
                     const std::string& input, const std::string& output, NativeHandle errorCapture,
                     Command& command) {
    if (EndsWithAsciiNoCase(program, ".bat") || EndsWithAsciiNoCase(program, ".cmd")) {
        // Only the command interpreter runs a batch file, and it expands %NAME% even inside
        // quotes; a quote or a line break would end the argument. A name holding one of them is
        // not handed over rather than read as something else.
        for (const std::string* name : {&input, &output}) {
            if (name->find_first_of("%\"\r\n") != std::string::npos) {
                WriteLine(errorCapture, *name + NativeText(TextId::NameRefusedByBatch));
                return CStatus::Error(CStatus::Code::NotStarted, *name, ERROR_INVALID_NAME);
            }
        }
        command.application = CommandInterpreter();
        command.line = BatchCommandLine(words, input, output);
    } else {
        // Started directly: no interpreter reads the names, whatever they hold.
        command.application = program;
        command.line = DirectCommandLine(words, input, output);
    }
    return {};
}

// A handle the converter inherits; the program's own handles stay its own.
CScopedHandle Inheritable(NativeHandle handle) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), Native(handle), GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return {};
    }
    return CScopedHandle(Owned(copy));
}

// A job whose processes all end when its last handle is closed. None where jobs are refused.
CScopedHandle KillOnCloseJob() {
    const HANDLE created = CreateJobObjectA(nullptr, nullptr);
    if (created == nullptr) {
        return {};
    }
    CScopedHandle job(Owned(created));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    // Every process of the job ends at a crash rather than wait behind the crash dialog, also
    // what a batch file or the converter starts.
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!SetInformationJobObject(Native(job.Get()), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        return {};
    }
    return job;
}

// Starts the command with the captures as its standard output and error, suspended until it is
// in its job. 0, or the error that kept it from starting.
DWORD Launch(const Command& command, CaptureHandles captures, CConverterProcess::State& state) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    CScopedHandle nul(Owned(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, OPEN_EXISTING, 0, nullptr)));
    const CScopedHandle out = Inheritable(captures.output);
    const CScopedHandle err = Inheritable(captures.error);
    if (!out.Valid() || !err.Valid()) {
        return GetLastError();
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Valid() ? Native(nul.Get()) : nullptr;
    startup.hStdOutput = Native(out.Get());
    startup.hStdError = Native(err.Get());
    PROCESS_INFORMATION process{};
    std::vector<char> line(command.line.begin(), command.line.end());
    line.push_back('\0');
    // A console of its own that no one sees: no window flashes up for each file, and the
    // programs a batch file runs share it, so that what they print reaches the captures too.
    // Suspended, so that it starts nothing before it is in its job.
    if (!CreateProcessA(command.application.c_str(), line.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup,
                        &process)) {
        return GetLastError();
    }
    state.process.Reset(Owned(process.hProcess));
    const CScopedHandle thread(Owned(process.hThread));

    // Where the program itself runs in a job that allows no other (before Windows 8), the
    // converter goes without: a stop then ends the converter alone.
    state.job = KillOnCloseJob();
    if (state.job.Valid() &&
        !AssignProcessToJobObject(Native(state.job.Get()), Native(state.process.Get()))) {
        state.job.Reset();
    }
    if (ResumeThread(Native(thread.Get())) == static_cast<DWORD>(-1)) {
        const DWORD error = GetLastError();
        TerminateProcess(Native(state.process.Get()), kStoppedExitCode);
        WaitForSingleObject(Native(state.process.Get()), INFINITE);
        state.process.Reset();
        state.job.Reset();
        return error;
    }
    return 0;
}

}  // namespace

CConverterProcess::State* CConverterProcess::NewState() {
    return new State;
}

void CConverterProcess::StateDeleter::operator()(State* state) const {
    delete state;
}

bool CConverterProcess::Running() const {
    return m_state && m_state->process.Valid() && !m_state->end;
}

NativeHandle CConverterProcess::EndHandle() const {
    return Running() ? m_state->process.Get() : kNoHandle;
}

namespace {

ProcessEnd ExitOf(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        return {ProcessEnd::Kind::Unknown, 0};  // never taken for success
    }
    return {ProcessEnd::Kind::Exited, static_cast<int>(code)};
}

}  // namespace

std::optional<ProcessEnd> CConverterProcess::Poll() {
    if (!Running()) {
        return m_state ? m_state->end : std::nullopt;
    }
    const HANDLE process = Native(m_state->process.Get());
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        return std::nullopt;
    }
    Collect(true);
    return m_state->end;
}

ProcessEnd CConverterProcess::Wait() {
    if (!Running()) {
        return m_state && m_state->end ? *m_state->end : ProcessEnd{};
    }
    const HANDLE process = Native(m_state->process.Get());
    WaitForSingleObject(process, INFINITE);
    Collect(true);
    return *m_state->end;
}

void CConverterProcess::Collect(bool) {
    m_state->end = ExitOf(Native(m_state->process.Get()));
}

void CConverterProcess::Terminate() {
    // Windows has no way to ask a process to end: it is ended at once.
    Kill();
}

bool CConverterProcess::LeftoversRemain() {
    // Windows has no asking: what the converter left running in its job ends with it.
    if (m_state && !Running() && m_state->job.Valid()) {
        TerminateJobObject(Native(m_state->job.Get()), kStoppedExitCode);
    }
    return false;
}

long CConverterProcess::Group() const {
    return 0;
}

void CConverterProcess::Kill() {
    if (!m_state) {
        return;
    }
    // The job outlives the converter's end, so that what it started and left running can still
    // be reached.
    if (m_state->job.Valid()) {
        TerminateJobObject(Native(m_state->job.Get()), kStoppedExitCode);
    } else if (Running()) {
        TerminateProcess(Native(m_state->process.Get()), kStoppedExitCode);
    }
}

CStatus StartConverter(const std::string& converter, const std::string& input,
                       const std::string& output, CaptureHandles captures,
                       CConverterProcess& process) {
    // The program and its own arguments are the words of the text as the interpreter would have
    // read it; file names are never expanded.
    const std::vector<std::string> words = SplitConverterWords(ExpandEnvironmentNames(converter));
    const std::string word = words.empty() ? std::string() : words.front();
    if (word.empty() || input.find('\0') != std::string::npos ||
        output.find('\0') != std::string::npos || converter.find('\0') != std::string::npos) {
        return NotStarted(word, word.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER,
                          captures.error);
    }
    const std::string program = FindProgram(word);
    if (program.empty()) {
        return NotStarted(word, ERROR_FILE_NOT_FOUND, captures.error);
    }
    // A converter that crashes ends there, with its exit code in the record, rather than waiting
    // behind the system's crash dialog; it inherits this from the program.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    Command command;
    if (CStatus built = BuildCommand(words, program, input, output, captures.error, command);
        !built.Ok()) {
        return built;
    }
    CConverterProcess started;
    if (const DWORD error = Launch(command, captures, *started.m_state); error != 0) {
        return NotStarted(word, error, captures.error);
    }
    process = std::move(started);
    return {};
}

std::string SignalName(int) {
    return {};
}

}  // namespace varlo
