#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Raised when a script cannot be started: Cannot run "<full path>". <system text for the error code>
class ShellRunError : public std::runtime_error {
public:
    ShellRunError(const std::string& path, int systemCode);

    int code() const { return m_code; }

private:
    int m_code;
};

} // namespace platform
