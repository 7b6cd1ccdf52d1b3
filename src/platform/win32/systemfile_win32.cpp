#include "../ioerror.h"
#include "../systemfile.h"
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

std::size_t SystemFile::read(void* buffer, std::size_t size) {
    if (m_handle == nullptr)
        throw IoError(IoError::FileNotOpen);
    DWORD got = 0;
    if (!::ReadFile(static_cast<HANDLE>(m_handle), buffer, static_cast<DWORD>(size), &got, nullptr))
        throw IoError(static_cast<int>(::GetLastError()));
    return got;
}

bool SystemFile::isOpen() const {
    return m_handle != nullptr;
}

void SystemFile::close() {
    if (m_handle != nullptr)
        ::CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
}

} // namespace platform
