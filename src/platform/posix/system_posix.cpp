#include "platform/ansicodepage.h"
#include "platform/computername.h"
#include "platform/currentprocess.h"
#include "platform/executablepath.h"
#include "platform/filecreateerror.h"
#include "platform/hostresolver.h"
#include "platform/socketerror.h"
#include "platform/windowsinstaller.h"

#include <arpa/inet.h>
#include <climits>
#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

std::string ExecutableDir() {
    char buffer[PATH_MAX + 1] = {};
    const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0)
        return ".";
    std::string path(buffer, static_cast<std::size_t>(length));
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ExecutableName() {
    char buffer[PATH_MAX + 1] = {};
    const ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0)
        return {};
    const std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(path.find_last_of('/') + 1);
}

const char* ExecutableSuffix() {
    return "";
}

long long CurrentProcessId() {
    return ::getpid();
}

const char* PathSeparator() {
    return "/";
}

std::string ComputerName() {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return std::string(buffer, ::strnlen(buffer, sizeof buffer));
}

NameEncoding ComputerNameEncoding() {
    return NameEncoding::Utf8;
}

std::string SystemErrorText(int systemCode) {
    return std::strerror(systemCode);
}

std::optional<unsigned> SystemAnsiCodePage() {
    return std::nullopt;
}

std::string SystemHostResolver::hostName() const {
    char buffer[250] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        throw SocketError(SocketError::NoRecovery);
    return std::string(buffer, ::strnlen(buffer, sizeof buffer));
}

std::vector<IPv4Address> SystemHostResolver::resolveIPv4(const std::string& name) const {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int status = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (status != 0) {
        switch (status) {
        case EAI_AGAIN:
            throw SocketError(SocketError::TryAgain);
        case EAI_FAIL:
            throw SocketError(SocketError::NoRecovery);
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
        case EAI_ADDRFAMILY:
            throw SocketError(SocketError::NoData);
        default:
            throw SocketError(SocketError::HostNotFound);
        }
    }
    std::vector<IPv4Address> addresses;
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        IPv4Address address;
        std::memcpy(address.data(), &in->sin_addr, 4);
        bool seen = false;
        for (const IPv4Address& other : addresses)
            seen = seen || other == address;
        if (!seen)
            addresses.push_back(address);
    }
    ::freeaddrinfo(list);
    return addresses;
}

// No Windows Installer here: a system package is told by where it lives (see Installation).
bool InstalledByWindowsInstaller(const std::string&) {
    return false;
}

} // namespace platform
