#pragma once

#include <string>

// Conversions between the UTF-8 of the platform layer's interface and the UTF-16 of the system's wide
// functions. Bytes that are not UTF-8 become U+FFFD.
namespace platform::win32 {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, std::size_t length);

// The system's text for an error code in the given language (0: the system's choice), as UTF-8.
std::string SystemErrorTextIn(int systemCode, unsigned long language);

} // namespace platform::win32
