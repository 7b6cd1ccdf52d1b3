#include "ioerror.h"

#include <cerrno>

namespace platform {

IoError::IoError(int code) : std::runtime_error(textFor(code)), m_code(code) {}

std::string IoError::textFor(int code) {
    switch (code) {
    case FileNotFound:
        return "File not found";
    case PathNotFound:
        return "Invalid filename";
    case TooManyOpenFiles:
        return "Too many open files";
    case AccessDenied:
        return "File access denied";
    case ReadBeyondEnd:
        return "Read beyond end of file";
    case DiskFull:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(code);
    }
}

int IoError::codeForErrno(int error, bool folderExists) {
    switch (error) {
    case ENOENT:
        return folderExists ? FileNotFound : PathNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
        return PathNotFound;
    case EMFILE:
    case ENFILE:
        return TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return AccessDenied;
    case ENOMEM:
        return 8; // ERROR_NOT_ENOUGH_MEMORY
    case ENOSPC:
        return 112; // ERROR_DISK_FULL
    case EFBIG:
        return 223; // ERROR_FILE_TOO_LARGE
    case EBUSY:
        return 170; // ERROR_BUSY
    case EIO:
        return 1117; // ERROR_IO_DEVICE
    case ELOOP:
        return 1921; // ERROR_CANT_RESOLVE_FILENAME
    default:
        return ErrnoBase + error;
    }
}

} // namespace platform
