#include "platform/filelock.h"
#include "platform/ioerror.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace platform {

FileLock::FileLock(FileLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    release();
}

std::optional<FileLock> FileLock::tryAcquire(const std::string& path) {
    if (path.empty())
        throw IoError(IoError::PathNotFound);
    // Close-on-exec: a started script must not carry the lock on with it.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        throw IoError(error == ENOENT ? IoError::PathNotFound : IoError::codeForErrno(error));
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return std::nullopt;
        throw IoError(IoError::codeForErrno(error));
    }
    FileLock lock;
    lock.m_fd = fd;
    return lock;
}

void FileLock::release() {
    // Closing the only descriptor of the open file drops its lock.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool FileHeldOpen(const std::string&) {
    return false;
}

void RenameReplacing(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        throw IoError(error == ENOENT ? IoError::FileNotFound : IoError::codeForErrno(error));
    }
}

} // namespace platform
