#pragma once

#include <string>

namespace platform {

// Creates the file anew (replacing one of that name) and writes the bytes into it. Raises
// FileCreateError with the system's code when the file cannot be created, IoError when the
// writing fails.
void WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace platform
