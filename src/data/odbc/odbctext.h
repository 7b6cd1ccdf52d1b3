#pragma once

#include <string>

// UTF-16, the ODBC wide API's text, to and from UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const std::u16string& text);
std::u16string Utf16FromUtf8(const std::string& text);

// Whether the code unit is a blank that a driver trims from the edges of an unbraced value: the
// ASCII controls 9 to 13, the space and the Unicode space separators.
bool IsOdbcBlank(char16_t unit);

// The text without the blanks at its edges.
std::u16string TrimmedOdbcText(const std::u16string& text);
