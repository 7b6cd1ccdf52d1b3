#pragma once

#include "platform/computername.h"

#include <QString>
#include <string>

namespace platform {
class HostResolver;
}

// The workstation's computer name as the system reports it; empty when it cannot.
QString ComputerName();
// A computer name as the system reports it, read in the given form: UTF-8, or the client's ANSI
// code page (which on Windows is the system's).
QString ComputerNameText(const std::string& reported,
                         platform::NameEncoding encoding = platform::ComputerNameEncoding());

// The first IPv4 address of the local host's name, dotted decimal. Raises platform::SocketError
// ("Socket Error # 11001" CR LF "Host not found.") or "List index out of bounds (0)".
QString LocalAddress();
QString LocalAddress(const platform::HostResolver& resolver);
