#pragma once

#include <string>

namespace platform {

// The workstation's name as the system reports it, as 8-bit text in the system's ANSI code page;
// empty when the call fails.
std::string ComputerName();

} // namespace platform
