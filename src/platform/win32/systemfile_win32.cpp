#include "platform/filecreateerror.h"
#include "platform/ioerror.h"
#include "platform/systemfile.h"
#include "platform/wholefile.h"
#include "widetext.h"

#include <utility>
#include <windows.h>

namespace platform {

SystemFile::SystemFile(SystemFile&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

SystemFile& SystemFile::operator=(SystemFile&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

SystemFile::~SystemFile() {
    close();
}

SystemFile SystemFile::openExistingReadWrite(const std::string& path) {
    HANDLE handle = ::CreateFileW(win32::WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError(static_cast<int>(::GetLastError()));
    SystemFile file;
    file.m_handle = handle;
    return file;
}

SystemFile SystemFile::createAlways(const std::string& path) {
    HANDLE handle = ::CreateFileW(win32::WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError(static_cast<int>(::GetLastError()));
    SystemFile file;
    file.m_handle = handle;
    return file;
}

std::size_t SystemFile::read(void* buffer, std::size_t size) {
    if (m_handle == nullptr)
        throw IoError(IoError::FileNotOpen);
    DWORD got = 0;
    if (!::ReadFile(static_cast<HANDLE>(m_handle), buffer, static_cast<DWORD>(size), &got, nullptr))
        throw IoError(static_cast<int>(::GetLastError()));
    return got;
}

void SystemFile::write(const void* buffer, std::size_t size) {
    if (m_handle == nullptr)
        throw IoError(IoError::FileNotOpen);
    if (size == 0)
        return;
    DWORD written = 0;
    if (!::WriteFile(static_cast<HANDLE>(m_handle), buffer, static_cast<DWORD>(size), &written, nullptr))
        throw IoError(static_cast<int>(::GetLastError()));
    if (written < size)
        throw IoError(IoError::DiskFull);
}

void SystemFile::truncate() {
    if (m_handle == nullptr)
        throw IoError(IoError::FileNotOpen);
    const HANDLE handle = static_cast<HANDLE>(m_handle);
    if (::SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !::SetEndOfFile(handle))
        throw IoError(static_cast<int>(::GetLastError()));
}

bool SystemFile::isOpen() const {
    return m_handle != nullptr;
}

void SystemFile::close() {
    if (m_handle != nullptr)
        ::CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
}

void SystemFile::closeReporting() {
    if (m_handle == nullptr)
        throw IoError(IoError::FileNotOpen);
    const HANDLE handle = static_cast<HANDLE>(std::exchange(m_handle, nullptr));
    if (!::CloseHandle(handle))
        throw IoError(static_cast<int>(::GetLastError()));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE handle = ::CreateFileW(win32::WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw FileCreateError(path, static_cast<int>(::GetLastError()));
    SystemFile file;
    file.m_handle = handle;
    file.write(bytes.data(), bytes.size());
    file.closeReporting();
}

} // namespace platform
