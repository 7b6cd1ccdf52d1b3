#include "platform/ansicodepage.h"
#include "platform/computername.h"
#include "platform/currentprocess.h"
#include "platform/executablepath.h"
#include "platform/filecreateerror.h"
#include "platform/hostresolver.h"
#include "platform/socketerror.h"
#include "widetext.h"

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
    // The wide call: the ANSI one turns every character outside the ANSI code page into '?'. A path
    // that does not fit is cut short and fills the buffer, so the buffer grows up to the longest
    // path the system knows (32767 characters).
    std::wstring path;
    for (DWORD size = MAX_PATH; size < 65536 && path.empty(); size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            break;
        if (length < size)
            path.assign(buffer.data(), length);
    }
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? "." : win32::Utf8FromWide(path.data(), slash);
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

NameEncoding ComputerNameEncoding() {
    return NameEncoding::AnsiCodePage;
}

std::string SystemErrorText(int systemCode) {
    return win32::SystemErrorTextIn(systemCode, 0);
}

std::optional<unsigned> SystemAnsiCodePage() {
    return ::GetACP();
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
