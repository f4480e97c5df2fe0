// The per-user profile file that holds the program's settings.
#pragma once

#include <optional>
#include <string>

#include "common/status.h"

namespace varlo {

class CProfileStore {
public:
    // A store on the profile file at `path`.
    explicit CProfileStore(std::string path) : m_path(std::move(path)) {}

    // The user's profile: $XDG_CONFIG_HOME/varloGui/profile.ini, or ~/.config/varloGui/… when
    // XDG_CONFIG_HOME is unset, empty or not absolute.
    static std::string DefaultPath();

    const std::string& Path() const { return m_path; }

    // The value of a key, or nothing when the file, the section or the key is missing or the
    // file cannot be read.
    std::optional<std::string> ReadValue(const std::string& section, const std::string& key) const;

    // A text value as the profile functions read one into a buffer of `bufferSize` bytes: at
    // most bufferSize - 1 bytes, never ending in part of a character; `fallback` when missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback, std::size_t bufferSize) const;

    // An integer value as the profile functions read one; `fallback` when missing or empty.
    int ReadInt(const std::string& section, const std::string& key, int fallback) const;

    // Sets a key. The file is replaced as a whole, atomically, while a lock keeps other copies
    // of the program from saving at the same moment; its folder is created when missing. On
    // failure nothing changes on disk, the reason goes to standard error, and the status names
    // the file and the reason; the caller decides how to show it.
    // On Windows the empty path names WIN.INI; a key that WIN.INI refuses goes to the per-user
    // %APPDATA%\varloGui\varloGui.ini instead, which is read first from then on.
    CStatus WriteValue(const std::string& section, const std::string& key,
                       const std::string& value);

    // Why the last write that could go nowhere failed, naming the file; empty while every write
    // succeeded. The windows show it to the user.
    const std::string& SaveError() const { return m_saveError; }
    // How many writes have failed so far: a window tells of each save that adds to it.
    std::size_t SaveFailures() const { return m_saveFailures; }

private:
    CStatus Failed(const std::string& reason);

    std::string m_path;
    std::string m_saveError;
    std::size_t m_saveFailures = 0;
};

}  // namespace varlo
