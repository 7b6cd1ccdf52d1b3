#include "hostresolver.h"

#include <stdexcept>

namespace platform {

std::string FormatIPv4(const IPv4Address& address) {
    return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." + std::to_string(address[2]) +
           "." + std::to_string(address[3]);
}

std::string LookUpLocalAddress(const HostResolver& resolver) {
    const std::vector<IPv4Address> addresses = resolver.resolveIPv4(resolver.hostName());
    std::vector<std::string> texts;
    texts.reserve(addresses.size());
    for (const IPv4Address& address : addresses)
        texts.push_back(FormatIPv4(address));
    if (texts.empty())
        throw std::out_of_range("List index out of bounds (0)");
    return texts.front();
}

} // namespace platform
