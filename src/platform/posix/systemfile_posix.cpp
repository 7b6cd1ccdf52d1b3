#include "../ioerror.h"
#include "../systemfile.h"

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

bool SystemFile::isOpen() const {
    return m_fd >= 0;
}

void SystemFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
