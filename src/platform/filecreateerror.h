#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Raised when a file written as a whole cannot be created:
// Cannot create file "<full path>". <system text for the error code>
class FileCreateError : public std::runtime_error {
public:
    FileCreateError(const std::string& path, int systemCode);

    int code() const { return m_code; }

private:
    int m_code;
};

// The operating system's own description of an error code (strerror / FormatMessage), in UTF-8.
std::string SystemErrorText(int systemCode);

} // namespace platform
