#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "capture_file.h"

namespace varlo {

namespace {

// Keeps a descriptor clear of 0, 1 and 2: when the program itself was started with those closed,
// a capture could otherwise land on one of them and be mixed up with the converter's own.
int AboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO) {
        return fd;
    }
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    int saved = errno;
    ::close(fd);
    errno = saved;
    return moved;
}

}  // namespace

CStatus CCaptureFile::Create(const std::string& name, bool overwrite) {
    m_handle.Reset();
    m_name = name;
    // O_NOFOLLOW: an existing capture name that is a link must not empty the file it points to.
    int flags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (overwrite ? O_TRUNC : O_EXCL);
    int fd;
    do {
        fd = ::open(name.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        fd = AboveStandardStreams(fd);
    }
    if (fd < 0) {
        const bool taken = !overwrite && errno == EEXIST;
        return CStatus::Error(taken ? CStatus::Code::NameTaken : CStatus::Code::Failed, name,
                              errno);
    }
    // Held while any process has the capture open, the converter and what it left running
    // included: the next start in this folder leaves it alone (RemoveIfAbandoned).
    ::flock(fd, LOCK_EX | LOCK_NB);
    m_handle.Reset(fd);
    return {};
}

std::size_t CCaptureFile::Size() const {
    struct stat st;
    if (!IsOpen() || ::fstat(static_cast<int>(Handle()), &st) != 0 || st.st_size < 0) {
        return 0;
    }
    return static_cast<std::size_t>(st.st_size);
}

int CCaptureFile::Rewind() {
    return ::lseek(static_cast<int>(Handle()), 0, SEEK_SET) < 0 ? errno : 0;
}

int CCaptureFile::ReadSome(char* buffer, std::size_t size, std::size_t& got) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(Handle()), buffer, size);
        if (n >= 0) {
            got = static_cast<std::size_t>(n);
            return 0;
        }
        if (errno != EINTR) {
            return errno;
        }
    }
}

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Unlinks `name` only while it is still the file open as `fd`.
void UnlinkIfSame(int fd, const std::string& name) {
    struct stat open, named;
    if (::fstat(fd, &open) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(open, named)) {
        ::unlink(name.c_str());
    }
}

}  // namespace

void CCaptureFile::DeleteOwn() {
    UnlinkIfSame(static_cast<int>(Handle()), m_name);
}

void CCaptureFile::RemoveIfAbandoned(const std::string& name) {
    // A link or a folder of that name is not a capture; nor is a file that a running copy holds.
    // A copy that has just created its capture and not yet locked it may lose the name: it reads
    // its capture through its own descriptor, and deletes only its own file, so nothing is lost.
    CScopedHandle file(::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!file.Valid() || ::fstat(static_cast<int>(file.Get()), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(static_cast<int>(file.Get()), LOCK_EX | LOCK_NB) != 0) {
        return;
    }
    UnlinkIfSame(static_cast<int>(file.Get()), name);
}

std::string FullPathInCurrentFolder(const std::string& name) {
    std::vector<char> folder(PATH_MAX);
    while (::getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) {
            return name;
        }
        folder.resize(folder.size() * 2);
    }
    std::string path = folder.data();
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path + name;
}

}  // namespace varlo
