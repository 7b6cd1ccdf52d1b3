#include "socketerror.h"

#include "filecreateerror.h"

namespace platform {

SocketError::SocketError(int code)
    : std::runtime_error("Socket Error # " + std::to_string(code) + "\r\n" + descriptionFor(code)),
      m_code(code) {}

std::string SocketError::descriptionFor(int code) {
    switch (code) {
    case HostNotFound:
        return "Host not found.";
    case TryAgain:
        return "Non-authoritative host not found.";
    case NoRecovery:
        return "This is a non-recoverable error.";
    case NoData:
        return "Valid name, no data record of requested type.";
    default:
        return SystemErrorText(code);
    }
}

} // namespace platform
