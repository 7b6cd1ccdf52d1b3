#pragma once

#include <string>

namespace platform {

// Folder of the running executable, without a trailing separator.
std::string ExecutableDir();

// The separator the system's paths use ("\\" on Windows, "/" elsewhere).
const char* PathSeparator();

} // namespace platform
