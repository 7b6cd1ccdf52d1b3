#include "filecreateerror.h"

namespace platform {

FileCreateError::FileCreateError(const std::string& path, int systemCode)
    : std::runtime_error("Cannot create file \"" + path + "\". " + SystemErrorText(systemCode)),
      m_code(systemCode) {}

} // namespace platform
