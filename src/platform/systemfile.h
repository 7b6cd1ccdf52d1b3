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

    // Reads up to size bytes in one call; returns how many were read.
    std::size_t read(void* buffer, std::size_t size);

    bool isOpen() const;
    void close();

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

} // namespace platform
