#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "common/system_text.h"
#include "common/text.h"
#include "profile_store.h"
#include "profile_text.h"

namespace varlo {

namespace {

// What the profile functions hand back for a key that is missing; no stored value looks so.
constexpr char kMissing[] = "\x01varloGui: no such key\x02";

std::string Failure(const std::string& path, const std::string& reason) {
    return (path.empty() ? "WIN.INI" : path) + ": " + reason;
}

// Also on standard error, for whoever has one.
void Report(const std::string& failure) {
    std::fprintf(stderr, "varloGui: cannot save the settings in %s\n", failure.c_str());
}

// The per-user folder that takes the settings when WIN.INI refuses them (a standard user may not
// write into the Windows folder); empty without APPDATA.
std::string PerUserFolder() {
    char folder[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) {
        return {};
    }
    return std::string(folder, length) + "\\varloGui";
}

std::string PerUserPath() {
    const std::string folder = PerUserFolder();
    return folder.empty() ? folder : folder + "\\varloGui.ini";
}

// The file a key is read from and written to: the store's own; for WIN.INI, the per-user profile
// once that holds the key, else WIN.INI itself (the empty path).
std::string HomeOf(const std::string& path, const std::string& section, const std::string& key) {
    if (!path.empty()) {
        return path;
    }
    const std::string perUser = PerUserPath();
    if (perUser.empty()) {
        return {};
    }
    char value[sizeof kMissing + 1];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, value, sizeof value,
                             perUser.c_str());
    return std::strcmp(value, kMissing) == 0 ? std::string() : perUser;
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
    const std::string from = HomeOf(m_path, section, key);
    std::vector<char> buffer(4096);
    DWORD length = GetString(from, section, key, kMissing, buffer);
    while (length + 1 >= buffer.size()) {  // cut short: read again with more room
        buffer.resize(buffer.size() * 4);
        length = GetString(from, section, key, kMissing, buffer);
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
    const DWORD length =
        GetString(HomeOf(m_path, section, key), section, key, fallback.c_str(), buffer);
    // A character cut off at the end of the buffer may leave a NUL in its place.
    return WholeCharacters(buffer.data(), strnlen(buffer.data(), length));
}

int CProfileStore::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    const std::string from = HomeOf(m_path, section, key);
    if (from.empty()) {
        return static_cast<int>(GetProfileIntA(section.c_str(), key.c_str(), fallback));
    }
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, from.c_str()));
}

CStatus CProfileStore::Failed(const std::string& reason) {
    m_saveError = reason;
    ++m_saveFailures;
    Report(m_saveError);
    return CStatus::Described(CStatus::Code::Failed, m_saveError);
}

CStatus CProfileStore::WriteValue(const std::string& section, const std::string& key,
                                  const std::string& value) {
    // The profile functions would write a line break as it is and so add lines of its own.
    if (HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value)) {
        return Failed(Failure(m_path, key + NativeText(TextId::ValueHoldsLineBreak)));
    }
    const std::string stored = EncodeProfileValue(value);
    std::string target = HomeOf(m_path, section, key);
    std::string refused;
    if (target.empty()) {
        if (WriteProfileStringA(section.c_str(), key.c_str(), stored.c_str())) {
            return {};
        }
        refused = Failure("", SystemErrorText(static_cast<int>(GetLastError()))) + "; ";
        target = PerUserPath();
        if (target.empty()) {
            return Failed(refused + NativeText(TextId::AppDataMissing));
        }
        CreateDirectoryA(PerUserFolder().c_str(), nullptr);
    } else if (!m_path.empty()) {
        // The profile functions make the file but not the folder it goes in.
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ignored);
    }
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), stored.c_str(), target.c_str())) {
        return Failed(refused + Failure(target, SystemErrorText(static_cast<int>(GetLastError()))));
    }
    return {};
}

}  // namespace varlo
