#pragma once

#include <string>

namespace platform {

// Folder of the running executable, without a trailing separator, in UTF-8 (the encoding of every
// path and system text of this layer).
std::string ExecutableDir();

// File name of the running executable, with its extension and without its folder.
std::string ExecutableName();

// The extension the system gives executables (".exe" on Windows, none elsewhere).
const char* ExecutableSuffix();

// The separator the system's paths use ("\\" on Windows, "/" elsewhere).
const char* PathSeparator();

} // namespace platform
