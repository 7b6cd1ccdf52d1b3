#include "platform/filelock.h"
#include "platform/ioerror.h"
#include "widetext.h"

#include <utility>
#include <windows.h>

namespace platform {

namespace {

// The whole file's range, as far as a lock can reach: the file itself stays empty.
constexpr DWORD WholeRange = MAXDWORD;

} // namespace

FileLock::FileLock(FileLock&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

FileLock::~FileLock() {
    release();
}

std::optional<FileLock> FileLock::tryAcquire(const std::string& path) {
    // Shared for reading and writing, so that the file itself never stands in anybody's way: the
    // lock on its range is what excludes. Not inherited by the processes that this one starts.
    const HANDLE handle = ::CreateFileW(win32::WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError(static_cast<int>(::GetLastError()));
    OVERLAPPED range{};
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, WholeRange, WholeRange,
                      &range)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            return std::nullopt;
        throw IoError(static_cast<int>(error));
    }
    FileLock lock;
    lock.m_handle = handle;
    return lock;
}

void FileLock::release() {
    if (m_handle == nullptr)
        return;
    const HANDLE handle = static_cast<HANDLE>(std::exchange(m_handle, nullptr));
    OVERLAPPED range{};
    ::UnlockFileEx(handle, 0, WholeRange, WholeRange, &range);
    ::CloseHandle(handle);
}

bool FileHeldOpen(const std::string& path) {
    const HANDLE handle = ::CreateFileW(win32::WideFromUtf8(path).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(handle);
    return false;
}

void RenameReplacing(const std::string& from, const std::string& to) {
    // Without MOVEFILE_COPY_ALLOWED the move stays within the volume, a rename of the entry.
    if (!::MoveFileExW(win32::WideFromUtf8(from).c_str(), win32::WideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw IoError(static_cast<int>(::GetLastError()));
}

} // namespace platform
