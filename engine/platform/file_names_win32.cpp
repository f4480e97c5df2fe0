#include <windows.h>

#include <string>

#include "common/code_page.h"
#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "engine/platform/wide_path.h"

namespace varlo {

namespace {

// The lead bytes of the ANSI code page in force: none under UTF-8, which the program's manifest
// asks for; Shift-JIS's on a Japanese Windows too old to honour that.
bool AnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByteEx(CP_ACP, byte) != FALSE;
}

// Folders are never cut: a longer path is still one folder, and a cut one names another.
const PathRules kAnsiPathRules{&AnsiLeadByte, '\\', true};

}  // namespace

const PathRules& PlatformPathRules() {
    return kAnsiPathRules;
}

std::string FileKey(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    std::wstring full = FullWidePath(WideFromAnsi(path));
    // The folder's final path, as its handle knows it, links and junctions resolved; then the name.
    if (const std::size_t slash = full.find_last_of(L"\\/");
        slash != std::wstring::npos && slash + 1 < full.size()) {
        const std::wstring folder = full.substr(0, slash + 1);
        const HANDLE handle =
            CreateFileW(WidePath(FromWide(folder, CP_ACP)).c_str(), 0,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            std::wstring resolved(32768, L'\0');
            const DWORD length = GetFinalPathNameByHandleW(
                handle, resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
            CloseHandle(handle);
            if (length > 0 && length < resolved.size()) {
                resolved.resize(length);
                // In the form the other keys have: "C:\..." or "\\server\...".
                if (resolved.starts_with(L"\\\\?\\UNC\\")) {
                    resolved.replace(0, 8, L"\\\\");
                } else if (resolved.starts_with(L"\\\\?\\")) {
                    resolved.erase(0, 4);
                }
                if (resolved.back() != L'\\') {
                    resolved += L'\\';
                }
                full = resolved + full.substr(slash + 1);
            }
        }
    }
    CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    const std::string key = FromWide(full, CP_UTF8);
    return key;
}

bool PathExists(const std::string& path) {
    // A name that cannot be looked at (a folder without access, say) may well be someone's file:
    // only "not found" is free.
    return KindOfName(path) != NameKind::None;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.find('\0') != std::string::npos ||
        !GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

NameKind KindOfName(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return NameKind::None;  // no file has such a name
    }
    // The attributes of the name itself: a link's own, not its target's.
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? NameKind::Link : NameKind::Other;
    }
    // Only a name known to be free is free: one that cannot be looked at may be someone's.
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:  // names no file can have
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_PATHNAME:
            return NameKind::None;
        default:
            return NameKind::Other;
    }
}

bool RemoveFile(const std::string& path) {
    return path.find('\0') == std::string::npos && DeleteFileW(WidePath(path).c_str()) != FALSE;
}

std::string PathFromField(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"' &&
        text.find('"', 1) == text.size() - 1) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

}  // namespace varlo
