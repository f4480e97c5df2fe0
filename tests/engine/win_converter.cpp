// A converter stand-in for the Windows tests. It reads its arguments and environment in UTF-16,
// so that it receives every name exactly, whatever the code page of the program that starts it.
// What it does is set through its environment:
//   FAKE_REPORT         file to write what it saw, in UTF-8: its current folder, then every
//                       argument, each field ended by a NUL byte
//   FAKE_STDOUT_FILE    file whose bytes it writes to standard output
//   FAKE_STDERR_FILE    file whose bytes it writes to standard error
//   FAKE_WRITE_OUTPUT   when set, it writes "converted from <input>" (UTF-8) to its last argument
//   FAKE_EXIT           its exit status
//   FAKE_SLEEP_MS       how long it waits before it ends, after writing
//   FAKE_CHILD_PID_FILE when set, it first starts a copy of itself that only waits (as long as
//                       FAKE_SLEEP_MS says) and writes that copy's process id to this file
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

std::string Utf8(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string Slurp(const std::wstring& path) {
    std::string bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

void WriteAll(HANDLE handle, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteFileW(const std::wstring& path, const std::string& bytes) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        WriteAll(file, bytes);
        CloseHandle(file);
    }
}

// A copy of this program that inherits the standard handles and only waits.
void StartWaitingChild(const std::wstring& pidFile) {
    for (const wchar_t* name : {L"FAKE_CHILD_PID_FILE", L"FAKE_REPORT", L"FAKE_STDOUT_FILE",
                                L"FAKE_STDERR_FILE", L"FAKE_WRITE_OUTPUT"}) {
        SetEnvironmentVariableW(name, nullptr);
    }
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    std::wstring commandLine = L"\"" + std::wstring(self, length) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &child)) {
        WriteFileW(pidFile, std::to_string(child.dwProcessId));
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (const std::wstring pidFile = Env(L"FAKE_CHILD_PID_FILE"); !pidFile.empty()) {
        StartWaitingChild(pidFile);
    }
    if (const std::wstring report = Env(L"FAKE_REPORT"); !report.empty()) {
        wchar_t folder[MAX_PATH * 4];
        const DWORD length = GetCurrentDirectoryW(MAX_PATH * 4, folder);
        std::string fields = Utf8(std::wstring(folder, length)) + '\0';
        for (int i = 0; i < argc; ++i) {
            fields += Utf8(argv[i]) + '\0';
        }
        WriteFileW(report, fields);
    }
    if (const std::wstring out = Env(L"FAKE_STDOUT_FILE"); !out.empty()) {
        WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), Slurp(out));
    }
    if (const std::wstring err = Env(L"FAKE_STDERR_FILE"); !err.empty()) {
        WriteAll(GetStdHandle(STD_ERROR_HANDLE), Slurp(err));
    }
    if (!Env(L"FAKE_WRITE_OUTPUT").empty() && argc >= 3) {
        WriteFileW(argv[argc - 1], "converted from " + Utf8(argv[argc - 2]));
    }
    if (const std::wstring sleep = Env(L"FAKE_SLEEP_MS"); !sleep.empty()) {
        Sleep(static_cast<DWORD>(_wtol(sleep.c_str())));
    }
    const std::wstring status = Env(L"FAKE_EXIT");
    return status.empty() ? 0 : _wtoi(status.c_str());
}
