#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "profile_store.h"
#include "profile_text.h"

namespace varlo {

namespace {

// What the profile functions hand back for a key that is missing; no stored value looks so.
constexpr char kMissing[] = "\x01varloGui: no such key\x02";

void Report(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "varloGui: cannot save the settings in %s: %s\n",
                 path.empty() ? "WIN.INI" : path.c_str(), reason.c_str());
}

bool HoldsLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// GetProfileStringA on WIN.INI, or GetPrivateProfileStringA on the store's own file.
DWORD GetString(const std::string& path, const std::string& section, const std::string& key,
                const char* fallback, std::vector<char>& buffer) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    if (path.empty()) {
        return GetProfileStringA(section.c_str(), key.c_str(), fallback, buffer.data(), size);
    }
    return GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback, buffer.data(), size,
                                    path.c_str());
}

// Without a trailing lead byte whose trail byte the buffer cut off.
std::string WholeCharacters(const char* text, std::size_t length) {
    std::size_t end = 0;
    for (std::size_t pos = 0; pos < length;) {
        const std::size_t next =
            pos + (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(text[pos])) ? 2 : 1);
        if (next > length) {
            break;
        }
        end = pos = next;
    }
    return std::string(text, end);
}

}  // namespace

std::string CProfileStore::DefaultPath() {
    return {};
}

std::optional<std::string> CProfileStore::ReadValue(const std::string& section,
                                                    const std::string& key) const {
    std::vector<char> buffer(4096);
    DWORD length = GetString(m_path, section, key, kMissing, buffer);
    while (length + 1 >= buffer.size()) {  // cut short: read again with more room
        buffer.resize(buffer.size() * 4);
        length = GetString(m_path, section, key, kMissing, buffer);
    }
    std::string value(buffer.data(), length);
    if (value == kMissing) {
        return std::nullopt;
    }
    return value;
}

std::string CProfileStore::ReadString(const std::string& section, const std::string& key,
                                      const std::string& fallback, std::size_t bufferSize) const {
    std::vector<char> buffer(bufferSize);
    const DWORD length = GetString(m_path, section, key, fallback.c_str(), buffer);
    // A character cut off at the end of the buffer may leave a NUL in its place.
    return WholeCharacters(buffer.data(), strnlen(buffer.data(), length));
}

int CProfileStore::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    if (m_path.empty()) {
        return static_cast<int>(GetProfileIntA(section.c_str(), key.c_str(), fallback));
    }
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, m_path.c_str()));
}

bool CProfileStore::WriteValue(const std::string& section, const std::string& key,
                               const std::string& value) {
    // The profile functions would write a line break as it is and so add lines of its own.
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) {
        Report(m_path, "the value of " + key + " holds a line break");
        return false;
    }
    if (!m_path.empty()) {
        // The profile functions make the file but not the folder it goes in.
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
    }
    const std::string stored = EncodeProfileValue(value);
    const BOOL written = m_path.empty()
                             ? WriteProfileStringA(section.c_str(), key.c_str(), stored.c_str())
                             : WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                                          stored.c_str(), m_path.c_str());
    if (!written) {
        Report(m_path, "error " + std::to_string(GetLastError()));
        return false;
    }
    return true;
}

}  // namespace varlo
