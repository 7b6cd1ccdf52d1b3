#include "platform/filelocation.h"

#include "widetext.h"

#include <string>
#include <vector>
#include <windows.h>

namespace platform {

bool OnLocalDisk(const std::string& path) {
    const std::wstring given = win32::WideFromUtf8(path);
    const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return false;
    std::vector<wchar_t> buffer(size + 1);
    if (GetFullPathNameW(given.c_str(), size + 1, buffer.data(), nullptr) == 0)
        return false;
    std::wstring full(buffer.data());
    if (full.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return false;
    if (full.rfind(L"\\\\?\\", 0) == 0)
        full.erase(0, 4);
    // \\server\share\...: a share, whatever the server is.
    if (full.rfind(L"\\\\", 0) == 0)
        return false;
    if (full.size() < 3 || full[1] != L':' || full[2] != L'\\')
        return false;
    const std::wstring root = full.substr(0, 3);
    switch (GetDriveTypeW(root.c_str())) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_RAMDISK:
        return true;
    default: // a mapped network drive, a CD, a drive that is not there
        return false;
    }
}

} // namespace platform
