#pragma once

#include <string>

namespace platform {

// Starts a script file (paths in UTF-8) through the system's shell, hidden, in the given working directory,
// and returns without waiting for it. On Windows the shell's "open" verb runs it (a batch file through the
// command interpreter); elsewhere /bin/sh runs it detached from this process, its input and output
// on /dev/null. Raises ShellRunError when it cannot be started.
void ShellRunHidden(const std::string& file, const std::string& workingDir);

} // namespace platform
