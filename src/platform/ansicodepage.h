#pragma once

#include <optional>

namespace platform {

// The system's ANSI code page, the one its 8-bit ("A") functions speak: GetACP() on Windows. Other
// systems have none; there the program's own choice applies.
std::optional<unsigned> SystemAnsiCodePage();

} // namespace platform
