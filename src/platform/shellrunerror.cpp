#include "shellrunerror.h"

#include "filecreateerror.h"

namespace platform {

ShellRunError::ShellRunError(const std::string& path, int systemCode)
    : std::runtime_error("Cannot run \"" + path + "\". " + SystemErrorText(systemCode)), m_code(systemCode) {}

} // namespace platform
