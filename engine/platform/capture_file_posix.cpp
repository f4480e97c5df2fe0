#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "common/retry.h"
#include "engine/platform/capture_file.h"
#include "engine/platform/capture_file_system.h"
#include "engine/platform/posix_calls.h"

namespace varlo {

namespace {

// The user's private temporary folder: XDG_RUNTIME_DIR (a tmpfs of the user's own), else TMPDIR,
// else /tmp. A value that is not a full path would put the capture beside the user's files, and
// is passed over.
std::string TemporaryFolder() {
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = ::getenv(variable);
        if (value != nullptr && value[0] == '/') {
            return value;
        }
    }
    return "/tmp";
}

// Where the system has no unnamed files: a unique name, unlinked at once.
int OpenNamedThenUnlink(const std::string& folder) {
    std::string pattern = folder + (folder.back() == '/' ? "" : "/") + "varloGui-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) {
        ::unlink(pattern.c_str());
    }
    return fd;
}

}  // namespace

CStatus CCaptureFile::Create() {
    m_handle.Reset();
    m_folder = TemporaryFolder();
    int fd = OpenUnnamedFile(m_folder);
    if (fd < 0 && UnnamedFilesUnsupported(errno)) {
        fd = OpenNamedThenUnlink(m_folder);
    }
    if (fd >= 0) {
        fd = AboveStandardStreams(fd);
    }
    if (fd < 0) {
        return CStatus::Error(CStatus::Code::Failed, m_folder, errno);
    }
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
    const ssize_t n = RetryAfterSignal(-1, ::read, static_cast<int>(Handle()), buffer, size);
    if (n < 0) {
        return errno;
    }
    got = static_cast<std::size_t>(n);
    return 0;
}

}  // namespace varlo
