#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// "Socket Error # <code>" CR LF <description>, with the Windows Sockets numbering
// (11001 "Host not found." for a name that does not resolve).
class SocketError : public std::runtime_error {
public:
    static constexpr int HostNotFound = 11001;
    static constexpr int TryAgain = 11002;
    static constexpr int NoRecovery = 11003;
    static constexpr int NoData = 11004;

    explicit SocketError(int code);

    int code() const { return m_code; }

    static std::string descriptionFor(int code);

private:
    int m_code;
};

} // namespace platform
