#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "engine/platform/posix_calls.h"

namespace varlo {

const PathRules& PlatformPathRules() {
    return kPosixPathRules;
}

namespace {

// The key of a path whose folder does not exist (yet), or cannot be resolved: as it is written.
std::string LexicalKey(const std::string& path) {
    std::string whole = path;
    if (path.front() != '/') {
        whole = CurrentFolder() + "/" + path;
    }
    // Lexically, as the names stand: a name that does not exist yet has no link to follow.
    std::vector<std::string_view> names;
    std::string_view rest(whole);
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view name = rest.substr(0, slash);
        rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
        if (name == "..") {
            if (!names.empty()) {
                names.pop_back();
            }
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
    }
    std::string key;
    for (std::string_view name : names) {
        key += '/';
        key += name;
    }
    return key.empty() ? "/" : key;
}

}  // namespace

std::string FileKey(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    // The folder as the system resolves it, links included, then the name: "Music/take.aac" and
    // "data/Music/take.aac" are one file when Music links to data/Music.
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    const std::size_t slash = folder.rfind('/');
    const std::string name = folder.substr(slash == std::string::npos ? 0 : slash + 1);
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    char resolved[PATH_MAX];
    if (name.empty() || name == "." || name == ".." || path.find('\0') != std::string::npos ||
        ::realpath(folder.c_str(), resolved) == nullptr) {
        return LexicalKey(path);
    }
    const std::string resolvedFolder = resolved;
    return (resolvedFolder == "/" ? "" : resolvedFolder) + "/" + name;
}

bool PathExists(const std::string& path) {
    // stat follows links: a dangling link does not exist, nor does "file/".
    // A NUL byte cannot stand in a POSIX name; without this check the name would be cut there.
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    struct stat st;
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0 ||
        !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

NameKind KindOfName(const std::string& path) {
    struct stat st;
    if (path.find('\0') != std::string::npos) {
        return NameKind::None;
    }
    if (::lstat(path.c_str(), &st) != 0) {
        // Only a name known to be free is free: one that cannot be looked at may be someone's.
        // A name too long for the system cannot be anyone's file either.
        return errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG ? NameKind::None
                                                                            : NameKind::Other;
    }
    return S_ISLNK(st.st_mode) ? NameKind::Link : NameKind::Other;
}

std::string PathFromField(const std::string& text) {
    return text;
}

bool RemoveFile(const std::string& path) {
    return path.find('\0') == std::string::npos && ::unlink(path.c_str()) == 0;
}

}  // namespace varlo
