#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "common/code_page.h"
#include "engine/platform/capture_file.h"
#include "engine/platform/wide_path.h"

namespace varlo {

namespace {

HANDLE Native(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

namespace {

// The user's temporary folder (TMP, TEMP, the profile's, or the Windows folder's), without its
// final separator; empty when the system names none.
std::wstring TemporaryFolder() {
    std::vector<wchar_t> folder(MAX_PATH + 1);
    DWORD length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length >= folder.size()) {
        folder.resize(length + 1);
        length = GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    }
    std::wstring path(folder.data(), length < folder.size() ? length : 0);
    if (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

}  // namespace

CStatus CCaptureFile::Create() {
    m_handle.Reset();
    const std::wstring folder = TemporaryFolder();
    m_folder = FromWide(folder, CP_ACP);
    DWORD error = ERROR_PATH_NOT_FOUND;
    // A name no one else uses: the process, a counter and the clock; taken names are skipped.
    static unsigned counter = 0;
    for (int attempt = 0; !folder.empty() && attempt < 100; ++attempt) {
        wchar_t name[64];
        swprintf(name, 64, L"\\varloGui-%lx-%x-%llx.tmp", GetCurrentProcessId(), ++counter,
                 static_cast<unsigned long long>(GetTickCount64()));
        // Not inherited: the converter gets a duplicate made for it alone, and the file goes when
        // the last handle to it closes, ours, the converter's or that of anything it left running.
        // Shared for writing and deletion, so that those handles work alongside ours.
        HANDLE file =
            CreateFileW((folder + name).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_handle.Reset(reinterpret_cast<NativeHandle>(file));
            return {};
        }
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    return CStatus::Error(CStatus::Code::Failed, m_folder, static_cast<int>(error));
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

}  // namespace varlo
