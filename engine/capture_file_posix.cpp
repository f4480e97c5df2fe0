#include <errno.h>
#include <fcntl.h>
#include <string.h>
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

// strerror_r comes in two forms: the GNU one returns the text, the XSI one fills the buffer.
[[maybe_unused]] std::string ErrorTextFrom(const char* text, const char*) {
    return text;
}
[[maybe_unused]] std::string ErrorTextFrom(int, const char* buffer) {
    return buffer;
}

}  // namespace

CCaptureFile::~CCaptureFile() {
    Close();
}

CCaptureFile::CreateResult CCaptureFile::Create(const std::string& name, bool overwrite) {
    Close();
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
        m_error = errno;
        return (!overwrite && m_error == EEXIST) ? CreateResult::NameTaken : CreateResult::Failed;
    }
    m_handle = fd;
    return CreateResult::Created;
}

std::size_t CCaptureFile::Size() const {
    struct stat st;
    if (!IsOpen() || ::fstat(static_cast<int>(m_handle), &st) != 0 || st.st_size < 0) {
        return 0;
    }
    return static_cast<std::size_t>(st.st_size);
}

bool CCaptureFile::ReadInto(CCaptureLineReader& reader) {
    const int fd = static_cast<int>(m_handle);
    // The converter wrote through a duplicate that shares our file offset: start over.
    if (::lseek(fd, 0, SEEK_SET) < 0) {
        m_error = errno;
        return false;
    }
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_error = errno;
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
    return m_handle >= 0;
}

void CCaptureFile::Close() {
    if (IsOpen()) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
}

void CCaptureFile::Remove() {
    if (IsOpen()) {
        Close();
        ::unlink(m_name.c_str());
    }
}

std::string SystemErrorText(int error) {
    char buffer[256] = "";
    return ErrorTextFrom(::strerror_r(error, buffer, sizeof buffer), buffer);
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
