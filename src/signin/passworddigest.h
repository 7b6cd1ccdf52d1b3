#pragma once

#include <QString>

// MD5 of the text's bytes in the client's ANSI code page, as 32 upper-case hexadecimal digits.
QString HashPassword(const QString& text);
