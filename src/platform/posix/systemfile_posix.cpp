#include "platform/filecreateerror.h"
#include "platform/ioerror.h"
#include "platform/systemfile.h"
#include "platform/wholefile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

bool folderExists(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The Windows numbering that the rest of the program speaks.
int openErrorCode(int error, const std::string& path) {
    return IoError::codeForErrno(error, error != ENOENT || folderExists(path));
}

// Write and close failures in the Windows numbering: 112 (the disk is full), 5 (access denied),
// 29 (the device cannot be written) for every other failure.
int writeErrorCode(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return 112;
    case EACCES:
    case EPERM:
    case EROFS:
        return IoError::AccessDenied;
    default:
        return 29;
    }
}

} // namespace

SystemFile::SystemFile(SystemFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

SystemFile& SystemFile::operator=(SystemFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

SystemFile::~SystemFile() {
    close();
}

SystemFile SystemFile::openExistingReadWrite(const std::string& path) {
    if (path.empty())
        throw IoError(IoError::PathNotFound);
    SystemFile file;
    file.m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (file.m_fd < 0)
        throw IoError(openErrorCode(errno, path));
    return file;
}

SystemFile SystemFile::createAlways(const std::string& path) {
    if (path.empty())
        throw IoError(IoError::PathNotFound);
    SystemFile file;
    file.m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file.m_fd < 0) {
        const int error = errno;
        // Creating, a missing entry can only be the folder.
        throw IoError(error == ENOENT ? IoError::PathNotFound : openErrorCode(error, path));
    }
    return file;
}

std::size_t SystemFile::read(void* buffer, std::size_t size) {
    if (m_fd < 0)
        throw IoError(IoError::FileNotOpen);
    ssize_t got;
    do {
        got = ::read(m_fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw IoError(IoError::codeForErrno(errno));
    return static_cast<std::size_t>(got);
}

void SystemFile::write(const void* buffer, std::size_t size) {
    if (m_fd < 0)
        throw IoError(IoError::FileNotOpen);
    if (size == 0)
        return;
    ssize_t written;
    do {
        written = ::write(m_fd, buffer, size);
    } while (written < 0 && errno == EINTR);
    if (written < 0)
        throw IoError(writeErrorCode(errno));
    if (static_cast<std::size_t>(written) < size)
        throw IoError(IoError::DiskFull);
}

void SystemFile::truncate() {
    if (m_fd < 0)
        throw IoError(IoError::FileNotOpen);
    if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        throw IoError(writeErrorCode(errno));
}

bool SystemFile::isOpen() const {
    return m_fd >= 0;
}

void SystemFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void SystemFile::closeReporting() {
    if (m_fd < 0)
        throw IoError(IoError::FileNotOpen);
    // The descriptor is gone whatever close() answers; it must not be closed again.
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0 && errno != EINTR)
        throw IoError(writeErrorCode(errno));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    SystemFile file;
    file.m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file.m_fd < 0)
        throw FileCreateError(path, errno);
    file.write(bytes.data(), bytes.size());
    file.closeReporting();
}

} // namespace platform
