#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A file of the program's own, opened through the operating system. Failures raise IoError with
// the system's error numbers (2 missing file, 3 missing folder, 4 too many open files,
// 5 access denied, other numbers as the system gives them).
class SystemFile {
public:
    SystemFile() = default;
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;
    SystemFile(SystemFile&& other) noexcept;
    SystemFile& operator=(SystemFile&& other) noexcept;
    ~SystemFile();

    // Opens an existing file (path in UTF-8) for reading and writing, letting others read and write it
    // meanwhile.
    static SystemFile openExistingReadWrite(const std::string& path);

    // Creates the file for reading and writing, emptying one of that name, and lets others read and
    // write it meanwhile.
    static SystemFile createAlways(const std::string& path);

    // Reads up to size bytes in one call; returns how many were read.
    std::size_t read(void* buffer, std::size_t size);
    // Writes the bytes in one call; IoError with the system's code when it fails and with 101
    // (disk full) when fewer bytes were written than given.
    void write(const void* buffer, std::size_t size);
    // Cuts the file to nothing.
    void truncate();

    bool isOpen() const;
    // Closes the file, ignoring a failure (for the ways out where an error is already on its way).
    void close();
    // Closes the file; IoError with the system's code when the system reports a failure (data that
    // could not be written out, for example).
    void closeReporting();

private:
    friend void WriteWholeFile(const std::string& path, const std::string& bytes);

#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

} // namespace platform
