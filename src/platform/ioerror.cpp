#include "ioerror.h"

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

} // namespace platform
