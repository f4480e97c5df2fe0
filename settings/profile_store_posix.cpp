#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/native_handle.h"
#include "common/retry.h"
#include "common/text.h"
#include "profile_store.h"
#include "profile_text.h"

namespace varlo {

namespace {

std::string ErrorText(int error) {
    return ::strerror(error);
}

int Fd(const CScopedHandle& handle) {
    return static_cast<int>(handle.Get());
}

// The whole file; an empty text for a file that does not exist. False (and `error`) otherwise.
bool ReadWhole(const std::string& path, std::string& text, int& error) {
    text.clear();
    CScopedHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) {
        error = errno;
        return error == ENOENT;
    }
    struct stat st;
    if (::fstat(Fd(file), &st) != 0) {
        error = errno;
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
        return false;
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = RetryAfterSignal(-1, ::read, Fd(file), buffer, sizeof buffer);
        if (got < 0) {
            error = errno;
            return false;
        }
        if (got == 0) {
            return true;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

// Creates the folder and the folders above it that are missing (private to the user, as
// configuration folders are).
bool MakeFolders(const std::string& folder) {
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos == folder.size() || folder[pos] == '/') {
            const std::string part = folder.substr(0, pos);
            if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A profile kept elsewhere through a symbolic link (as dotfile managers do) is saved where the
// link points, so that the link survives; that holds for a link whose file is not made yet, too.
// Links to links are followed to the last. False (and errno) when a link cannot be read or the
// links go round in a circle.
bool SaveTarget(const std::string& path, std::string& target) {
    constexpr int kMostLinks = 40;  // the kernel's own limit before ELOOP
    target = path;
    for (int links = 0; links < kMostLinks; ++links) {
        struct stat st;
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true;  // a file, or nothing yet: the save makes it
        }
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), buffer, sizeof buffer);
        if (length < 0) {
            return false;
        }
        if (static_cast<std::size_t>(length) == sizeof buffer) {
            errno = ENAMETOOLONG;
            return false;
        }
        const std::string pointsTo(buffer, static_cast<std::size_t>(length));
        if (!pointsTo.empty() && pointsTo.front() == '/') {
            target = pointsTo;
        } else {
            // A relative link is read from the folder that holds it.
            const std::string folder = FolderOf(target);
            target = (folder == "/" ? "" : folder) + "/" + pointsTo;
        }
    }
    errno = ELOOP;
    return false;
}

}  // namespace

std::string CProfileStore::DefaultPath() {
    std::string base;
    const char* config = ::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = ::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* user = ::getpwuid(::getuid());
            home = user != nullptr ? user->pw_dir : "/";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/varloGui/profile.ini";
}

std::optional<std::string> CProfileStore::ReadValue(const std::string& section,
                                                    const std::string& key) const {
    std::string text;
    int error = 0;
    if (!ReadWhole(m_path, text, error)) {
        return std::nullopt;
    }
    return FindProfileValue(text, section, key);
}

std::string CProfileStore::ReadString(const std::string& section, const std::string& key,
                                      const std::string& fallback, std::size_t bufferSize) const {
    return std::string(CutUtf8(ReadValue(section, key).value_or(fallback), bufferSize - 1));
}

int CProfileStore::ReadInt(const std::string& section, const std::string& key, int fallback) const {
    return ParseProfileInt(ReadValue(section, key).value_or(""), fallback);
}

CStatus CProfileStore::Failed(const std::string& reason) {
    std::fprintf(stderr, "varloGui: cannot save the settings in %s: %s\n", m_path.c_str(),
                 reason.c_str());
    m_saveError = m_path + ": " + reason;
    ++m_saveFailures;
    return CStatus::Described(CStatus::Code::Failed, m_saveError);
}

CStatus CProfileStore::WriteValue(const std::string& section, const std::string& key,
                                  const std::string& value) {
    std::string target;
    if (!SaveTarget(m_path, target)) {
        return Failed(ErrorText(errno));
    }
    const std::string folder = FolderOf(target);
    if (!MakeFolders(folder)) {
        return Failed("cannot create " + folder + ": " + ErrorText(errno));
    }

    // One save at a time across every copy of the program: read, change and replace the file
    // under the lock, so that two copies closing together both keep their values.
    const std::string lockPath = target + ".lock";
    CScopedHandle lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.Valid()) {
        return Failed(lockPath + ": " + ErrorText(errno));
    }
    if (RetryAfterSignal(-1, ::flock, Fd(lock), LOCK_EX) != 0) {
        return Failed("cannot lock " + lockPath + ": " + ErrorText(errno));
    }

    std::string text;
    int error = 0;
    if (!ReadWhole(target, text, error)) {
        // Never replace what could not be read: it would be lost.
        return Failed(ErrorText(error));
    }
    const std::optional<std::string> updated = SetProfileValue(text, section, key, value);
    if (!updated) {
        return Failed("the value of " + key + " holds a line break");
    }
    if (*updated == text) {
        return {};
    }

    std::string temporary = target + ".XXXXXX";
    CScopedHandle out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.Valid()) {
        return Failed("cannot create a file in " + folder + ": " + ErrorText(errno));
    }
    struct stat old;
    const bool keepMode = ::stat(target.c_str(), &old) == 0;
    if (!WriteAll(out.Get(), *updated) ||
        (keepMode && ::fchmod(Fd(out), old.st_mode & 07777) != 0) || ::fsync(Fd(out)) != 0 ||
        ::rename(temporary.c_str(), target.c_str()) != 0) {
        const int failure = errno;
        ::unlink(temporary.c_str());
        return Failed(ErrorText(failure));
    }
    // The rename itself must reach the disk for the new profile to survive a power cut.
    CScopedHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) {
        ::fsync(Fd(dir));
    }
    return {};
}

}  // namespace varlo
