#pragma once

#include <optional>
#include <string>

namespace platform {

// An exclusive lock on a file (path in UTF-8) that other processes can see: flock() elsewhere,
// LockFileEx() on Windows. The system drops it when the process ends, however it ends, so a process
// that died never leaves an installation locked. Two locks on one file exclude each other even
// within one process.
class FileLock {
public:
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    // Releases the lock.
    ~FileLock();

    // Takes the lock without waiting; nothing when someone else holds it. The file is created
    // (empty) when it is missing and is never written. IoError with the system's code when it cannot
    // be opened or created.
    static std::optional<FileLock> tryAcquire(const std::string& path);

private:
    FileLock() = default;
    void release();

#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// Whether another handle holds the file (path in UTF-8) open, whatever it lets others do with it: on
// Windows an open that shares nothing is refused then. Elsewhere the system cannot tell: false.
// False as well for a missing file.
bool FileHeldOpen(const std::string& path);

// Renames a file over another (paths in UTF-8) in one step: whoever opens the target sees either
// the old file or the new one, never a part of either. IoError with the system's code when it fails;
// the source is then left where it was.
void RenameReplacing(const std::string& from, const std::string& to);

} // namespace platform
