#pragma once

#include <string>

namespace platform {

// True when the running executable is the key file that Windows Installer keeps for the component
// with that identifier ("{XXXXXXXX-…}") of an installed product: the copy that a package put in place
// and that only the package may replace. A copy of the same files anywhere else, or any copy where no
// Windows Installer exists, is not.
bool InstalledByWindowsInstaller(const std::string& componentId);

} // namespace platform
