#include "../computername.h"
#include "../currentprocess.h"
#include "../executablepath.h"
#include "../filecreateerror.h"
#include "../hostresolver.h"
#include "../socketerror.h"

#include <cstring>

// winsock2.h must come before windows.h, which would otherwise bring in the old winsock.h.
#include <winsock2.h>

#include <windows.h>

namespace platform {

namespace {

// Windows Sockets must be started once before gethostname and gethostbyname.
void startSockets() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

} // namespace

std::string ExecutableDir() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length);
    const std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string ExecutableName() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string path(buffer, length);
    return path.substr(path.find_last_of("\\/") + 1);
}

const char* ExecutableSuffix() {
    return ".exe";
}

long long CurrentProcessId() {
    return ::GetCurrentProcessId();
}

const char* PathSeparator() {
    return "\\";
}

std::string ComputerName() {
    char buffer[256] = {};
    DWORD size = sizeof buffer;
    if (!::GetComputerNameA(buffer, &size))
        std::memset(buffer, 0, sizeof buffer);
    return std::string(buffer, ::strnlen(buffer, sizeof buffer));
}

std::string SystemErrorText(int systemCode) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(systemCode), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    if (text != nullptr)
        ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    if (result.empty())
        result = "System error " + std::to_string(systemCode);
    return result;
}

std::string SystemHostResolver::hostName() const {
    startSockets();
    char buffer[250] = {};
    if (::gethostname(buffer, sizeof buffer) != 0)
        throw SocketError(::WSAGetLastError());
    return std::string(buffer, ::strnlen(buffer, sizeof buffer));
}

std::vector<IPv4Address> SystemHostResolver::resolveIPv4(const std::string& name) const {
    startSockets();
    const hostent* host = ::gethostbyname(name.c_str());
    if (host == nullptr)
        throw SocketError(::WSAGetLastError());
    std::vector<IPv4Address> addresses;
    if (host->h_addrtype == AF_INET && host->h_length == 4) {
        for (char** entry = host->h_addr_list; *entry != nullptr; ++entry) {
            IPv4Address address;
            std::memcpy(address.data(), *entry, 4);
            addresses.push_back(address);
        }
    }
    return addresses;
}

} // namespace platform
