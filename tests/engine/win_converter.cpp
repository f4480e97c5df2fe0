// A converter stand-in for the Windows tests. What it does is set through its environment:
//   FAKE_REPORT         file to write what it saw: its current folder, then every argument, each
//                       field ended by a NUL byte
//   FAKE_STDOUT_FILE    file whose bytes it writes to standard output
//   FAKE_STDERR_FILE    file whose bytes it writes to standard error
//   FAKE_WRITE_OUTPUT   when set, it writes "converted from <input>" to its last argument
//   FAKE_EXIT           its exit status
//   FAKE_SLEEP_MS       how long it waits before it ends, after writing
//   FAKE_CHILD_PID_FILE when set, it first starts a copy of itself that only waits (as long as
//                       FAKE_SLEEP_MS says) and writes that copy's process id to this file
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(DWORD stream, const std::string& bytes) {
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

// A copy of this program that inherits the standard handles and only waits.
void StartWaitingChild(const std::string& pidFile) {
    for (const char* name : {"FAKE_CHILD_PID_FILE", "FAKE_REPORT", "FAKE_STDOUT_FILE",
                             "FAKE_STDERR_FILE", "FAKE_WRITE_OUTPUT"}) {
        SetEnvironmentVariableA(name, nullptr);
    }
    char self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string commandLine = "\"" + std::string(self, length) + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &child)) {
        std::ofstream(pidFile, std::ios::binary) << child.dwProcessId;
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::string pidFile = Env("FAKE_CHILD_PID_FILE"); !pidFile.empty()) {
        StartWaitingChild(pidFile);
    }
    if (const std::string report = Env("FAKE_REPORT"); !report.empty()) {
        char folder[MAX_PATH * 4];
        const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
        std::string fields = std::string(folder, length) + '\0';
        for (int i = 0; i < argc; ++i) {
            fields += std::string(argv[i]) + '\0';
        }
        std::ofstream(report, std::ios::binary) << fields;
    }
    if (const std::string out = Env("FAKE_STDOUT_FILE"); !out.empty()) {
        WriteAll(STD_OUTPUT_HANDLE, Slurp(out));
    }
    if (const std::string err = Env("FAKE_STDERR_FILE"); !err.empty()) {
        WriteAll(STD_ERROR_HANDLE, Slurp(err));
    }
    if (!Env("FAKE_WRITE_OUTPUT").empty() && argc >= 3) {
        std::ofstream(argv[argc - 1], std::ios::binary) << "converted from " << argv[argc - 2];
    }
    if (const std::string sleep = Env("FAKE_SLEEP_MS"); !sleep.empty()) {
        Sleep(static_cast<DWORD>(std::atol(sleep.c_str())));
    }
    const std::string status = Env("FAKE_EXIT");
    return status.empty() ? 0 : std::atoi(status.c_str());
}
