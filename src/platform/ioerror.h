#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Error of an operation on one of the program's own files. The number is the system's error code
// or one of the run-time codes below; the message text follows from the number alone.
class IoError : public std::runtime_error {
public:
    static constexpr int FileNotFound = 2;
    static constexpr int PathNotFound = 3;
    static constexpr int TooManyOpenFiles = 4;
    static constexpr int AccessDenied = 5;
    static constexpr int ReadBeyondEnd = 100; // fewer bytes read than asked
    static constexpr int DiskFull = 101;      // fewer bytes written than asked
    static constexpr int FileNotOpen = 103;

    explicit IoError(int code);

    int code() const { return m_code; }

    // "File not found", "I/O error 32", ... for the given number.
    static std::string textFor(int code);

private:
    int m_code;
};

} // namespace platform
