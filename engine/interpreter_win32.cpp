#include <windows.h>

#include <vector>

#include "capture_file.h"
#include "environment_names.h"
#include "interpreter.h"
#include "path_parts.h"
#include "windows_command_line.h"

namespace varlo {

namespace {

HANDLE Native(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

void WriteLine(NativeHandle errorCapture, const std::string& line) {
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(Native(errorCapture), text.data(), static_cast<DWORD>(text.size()), &written,
              nullptr);
}

void ReportStartFailure(const std::string& program, DWORD error, NativeHandle errorCapture) {
    const std::string shown = program.empty() ? "\"\"" : program;
    WriteLine(errorCapture, shown + ": " + SystemErrorText(static_cast<int>(error)));
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
    const std::string_view end(suffix);
    if (s.size() < end.size()) {
        return false;
    }
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, s.data() + s.size() - end.size(),
                          static_cast<int>(end.size()), end.data(),
                          static_cast<int>(end.size())) == CSTR_EQUAL;
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

// A handle the converter inherits; the program's own handles stay its own.
HANDLE Inheritable(HANDLE handle) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

}  // namespace

void RunInterpreter(const std::string& converter, const std::string& input,
                    const std::string& output, CaptureHandles captures) {
    // The program and its own arguments are the words of the text as the interpreter would have
    // read it; file names are never expanded.
    const std::vector<std::string> words = SplitConverterWords(ExpandEnvironmentNames(converter));
    const std::string word = words.empty() ? std::string() : words.front();
    if (word.empty() || input.find('\0') != std::string::npos ||
        output.find('\0') != std::string::npos || converter.find('\0') != std::string::npos) {
        ReportStartFailure(word, word.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER,
                           captures.error);
        return;
    }
    const std::string program = FindProgram(word);
    if (program.empty()) {
        ReportStartFailure(word, ERROR_FILE_NOT_FOUND, captures.error);
        return;
    }

    std::string application;
    std::string commandLine;
    if (EndsWithNoCase(program, ".bat") || EndsWithNoCase(program, ".cmd")) {
        // Only the command interpreter runs a batch file, and it expands %NAME% even inside
        // quotes; a quote or a line break would end the argument. A name holding one of them is
        // not handed over rather than read as something else.
        for (const std::string* name : {&input, &output}) {
            if (name->find_first_of("%\"\r\n") != std::string::npos) {
                WriteLine(captures.error,
                          *name + ": a name holding % or \" cannot be given to a batch file");
                return;
            }
        }
        application = CommandInterpreter();
        commandLine = BatchCommandLine(words, input, output);
    } else {
        // Started directly: no interpreter reads the names, whatever they hold.
        application = program;
        commandLine = DirectCommandLine(words, input, output);
    }

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    HANDLE out = Inheritable(Native(captures.output));
    HANDLE err = Inheritable(Native(captures.error));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul == INVALID_HANDLE_VALUE ? nullptr : nul;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    // No console for the converter, so no window flashes up for each file: what it prints goes
    // to the captures. (A console's host would also hold the captures open after it ends.)
    const BOOL started = out != nullptr && err != nullptr &&
                         CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, TRUE,
                                        DETACHED_PROCESS, nullptr, nullptr, &startup, &process);
    const DWORD error = started ? ERROR_SUCCESS : GetLastError();

    for (HANDLE handle : {nul, out, err}) {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    if (!started) {
        ReportStartFailure(word, error, captures.error);
        return;
    }
    // The exit status is not looked at; only the end matters.
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace varlo
