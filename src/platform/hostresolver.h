#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using IPv4Address = std::array<std::uint8_t, 4>; // bytes in network order

// Name resolution as the local address lookup needs it. A seam, so that tests can answer for
// names without asking the machine's resolver.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    // The local host's name; raises SocketError when the system cannot tell it.
    virtual std::string hostName() const = 0;
    // The IPv4 addresses of a name, in the system's order; raises SocketError when it does not resolve.
    virtual std::vector<IPv4Address> resolveIPv4(const std::string& name) const = 0;
};

// gethostname / gethostbyname of the operating system.
class SystemHostResolver : public HostResolver {
public:
    std::string hostName() const override;
    std::vector<IPv4Address> resolveIPv4(const std::string& name) const override;
};

// Dotted-decimal form: each byte in decimal without leading zeros, joined by ".".
std::string FormatIPv4(const IPv4Address& address);

// The first IPv4 address of the local host's name. Raises SocketError when the name does not
// resolve and std::out_of_range "List index out of bounds (0)" when it resolves to no address.
std::string LookUpLocalAddress(const HostResolver& resolver);

} // namespace platform
