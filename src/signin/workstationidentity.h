#pragma once

#include <QString>

namespace platform {
class HostResolver;
}

// The workstation's computer name as the system reports it; empty when it cannot.
QString ComputerName();

// The first IPv4 address of the local host's name, dotted decimal. Raises platform::SocketError
// ("Socket Error # 11001" CR LF "Host not found.") or "List index out of bounds (0)".
QString LocalAddress();
QString LocalAddress(const platform::HostResolver& resolver);
