#include <windows.h>

#include <vector>

#include "capture_file.h"

namespace varlo {

namespace {

HANDLE Native(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

CCaptureFile::~CCaptureFile() {
    Close();
}

CCaptureFile::CreateResult CCaptureFile::Create(const std::string& name, bool overwrite) {
    Close();
    m_name = name;
    // Not inherited: the converter gets a duplicate made for it alone. Shared for deletion, so
    // that removing it works even while a process the converter left behind still holds it.
    HANDLE file =
        CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_error = static_cast<int>(GetLastError());
        const bool taken = m_error == ERROR_FILE_EXISTS || m_error == ERROR_ALREADY_EXISTS;
        return (!overwrite && taken) ? CreateResult::NameTaken : CreateResult::Failed;
    }
    m_handle = reinterpret_cast<NativeHandle>(file);
    return CreateResult::Created;
}

std::size_t CCaptureFile::Size() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(Native(m_handle), &size) || size.QuadPart < 0) {
        return 0;
    }
    return static_cast<std::size_t>(size.QuadPart);
}

bool CCaptureFile::ReadInto(CCaptureLineReader& reader) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(Native(m_handle), start, nullptr, FILE_BEGIN)) {
        m_error = static_cast<int>(GetLastError());
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(Native(m_handle), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                      nullptr)) {
            m_error = static_cast<int>(GetLastError());
            return false;
        }
        if (got == 0 || !reader.Feed(std::string_view(buffer.data(), got))) {
            break;
        }
    }
    reader.Finish();
    return true;
}

bool CCaptureFile::IsOpen() const {
    return m_handle != -1;
}

void CCaptureFile::Close() {
    if (IsOpen()) {
        CloseHandle(Native(m_handle));
        m_handle = -1;
    }
}

void CCaptureFile::Remove() {
    if (IsOpen()) {
        Close();
        DeleteFileA(m_name.c_str());
    }
}

std::string SystemErrorText(int error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "Error " + std::to_string(error);
    LocalFree(text);
    // The system's texts end in a line break, which would add an empty line to the record.
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return message;
}

std::string FullPathInCurrentFolder(const std::string& name) {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetFullPathNameA(name.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (length == 0) {
            return name;
        }
        if (length < path.size()) {
            return std::string(path.data(), length);
        }
        path.resize(length + 1);
    }
}

}  // namespace varlo
