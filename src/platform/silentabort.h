#pragma once

#include <exception>

namespace platform {

// The silent cancellation: stops the handler that raised it, and the application's default error
// handling passes over it without showing anything.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

} // namespace platform
