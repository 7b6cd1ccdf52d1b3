#include "widetext.h"

#include <windows.h>

namespace platform::win32 {

std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length) {
    if (length == 0)
        return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string SystemErrorTextIn(int systemCode, unsigned long language) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(systemCode), language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result = length > 0 && text != nullptr ? Utf8FromWide(text, length) : std::string();
    if (text != nullptr)
        ::LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    if (result.empty())
        result = "System error " + std::to_string(systemCode);
    return result;
}

} // namespace platform::win32
