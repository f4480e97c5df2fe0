#include <windows.h>

#include <algorithm>
#include <vector>

#include "capture_file.h"
#include "common/code_page.h"
#include "wide_path.h"

namespace varlo {

namespace {

HANDLE Native(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

CStatus CCaptureFile::Create(const std::string& name, bool overwrite) {
    m_handle.Reset();
    m_name = name;
    // Not inherited: the converter gets a duplicate made for it alone. Shared for deletion, so
    // that removing it works even while a process the converter left behind still holds it.
    HANDLE file =
        CreateFileW(WidePath(name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return CStatus::Error(
            !overwrite && taken ? CStatus::Code::NameTaken : CStatus::Code::Failed, name,
            static_cast<int>(error));
    }
    m_handle.Reset(reinterpret_cast<NativeHandle>(file));
    return {};
}

std::size_t CCaptureFile::Size() const {
    LARGE_INTEGER size;
    if (!IsOpen() || !GetFileSizeEx(Native(Handle()), &size) || size.QuadPart < 0) {
        return 0;
    }
    return static_cast<std::size_t>(size.QuadPart);
}

int CCaptureFile::Rewind() {
    LARGE_INTEGER start{};
    return SetFilePointerEx(Native(Handle()), start, nullptr, FILE_BEGIN)
               ? 0
               : static_cast<int>(GetLastError());
}

int CCaptureFile::ReadSome(char* buffer, std::size_t size, std::size_t& got) {
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
    if (!ReadFile(Native(Handle()), buffer, wanted, &read, nullptr)) {
        const DWORD error = GetLastError();
        if (error != ERROR_HANDLE_EOF) {
            return static_cast<int>(error);
        }
    }
    got = read;
    return 0;
}

namespace {

// Marks the file open as `file` for deletion: the file itself, whatever holds its name now.
bool DeleteByHandle(HANDLE file) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

}  // namespace

void CCaptureFile::DeleteOwn() {
    if (!DeleteByHandle(Native(Handle()))) {
        m_handle.Reset();
        DeleteFileW(WidePath(m_name).c_str());
    }
}

void CCaptureFile::RemoveIfAbandoned(const std::string& name) {
    // Opened without sharing, which fails while anyone (a running copy, its converter) has it
    // open; a link is opened as itself and left alone, a folder not opened at all.
    const HANDLE file = CreateFileW(WidePath(name).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info) &&
        !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
        DeleteByHandle(file);
    }
    CloseHandle(file);
}

std::string FullPathInCurrentFolder(const std::string& name) {
    return FromWide(FullWidePath(WideFromAnsi(name)), CP_ACP);
}

}  // namespace varlo
