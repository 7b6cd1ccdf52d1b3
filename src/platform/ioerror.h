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
    // Added to a POSIX error number that has no Windows counterpart: bit 29 marks application-defined
    // codes on Windows, so no system error number has it and the sum cannot be taken for one.
    static constexpr int ErrnoBase = 0x20000000;

    explicit IoError(int code);

    int code() const { return m_code; }

    // "File not found", "I/O error 32", ... for the given number.
    static std::string textFor(int code);

    // The number for a POSIX error: the Windows number of the same failure where there is one
    // (ENOENT is 2, or 3 when the file's folder is missing too; EACCES 5; EIO 1117, ...), else
    // ErrnoBase + the error.
    static int codeForErrno(int error, bool folderExists = true);

private:
    int m_code;
};

} // namespace platform
