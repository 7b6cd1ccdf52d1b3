#pragma once

#include <string>

namespace platform {

// The workstation's name as the system reports it, in the system's form (ComputerNameEncoding);
// empty when the call fails.
std::string ComputerName();

// How the system writes the names it reports: UTF-8 (POSIX) or 8-bit text in its ANSI code page
// (Windows).
enum class NameEncoding { Utf8, AnsiCodePage };
NameEncoding ComputerNameEncoding();

} // namespace platform
