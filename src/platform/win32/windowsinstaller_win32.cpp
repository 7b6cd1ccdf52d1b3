#include "platform/windowsinstaller.h"
#include "widetext.h"

#include <windows.h>

#include <msi.h>

#include <string>

namespace platform {

namespace {

// The wide call's answer for a buffer that grows until the text fits; empty when the call fails.
template <typename Call> std::wstring wideAnswer(Call call) {
    for (DWORD size = MAX_PATH; size < 65536; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = call(buffer.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::wstring(buffer.data(), length);
    }
    return {};
}

// The long form of an existing file's full path, so that two names of the same file compare equal
// whether they were given in short (8.3) or long form.
std::wstring longPath(const std::wstring& path) {
    const std::wstring full = wideAnswer(
        [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
    if (full.empty())
        return {};
    const std::wstring expanded = wideAnswer(
        [&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(full.c_str(), buffer, size); });
    return expanded.empty() ? full : expanded;
}

} // namespace

bool InstalledByWindowsInstaller(const std::string& componentId) {
    const std::wstring component = win32::WideFromUtf8(componentId);
    std::wstring keyFile(MAX_PATH, L'\0');
    DWORD size = static_cast<DWORD>(keyFile.size());
    INSTALLSTATE state = ::MsiLocateComponentW(component.c_str(), keyFile.data(), &size);
    if (state == INSTALLSTATE_MOREDATA) {
        keyFile.assign(size + 1, L'\0');
        size = static_cast<DWORD>(keyFile.size());
        state = ::MsiLocateComponentW(component.c_str(), keyFile.data(), &size);
    }
    if (state != INSTALLSTATE_LOCAL)
        return false;
    keyFile.resize(size);

    const std::wstring running =
        wideAnswer([](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); });
    const std::wstring a = longPath(running);
    const std::wstring b = longPath(keyFile);
    // File names on Windows compare without regard to case.
    return !a.empty() && !b.empty() &&
           ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace platform
