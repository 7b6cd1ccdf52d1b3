#pragma once

#include "odbctext.h"

#include <stdexcept>
#include <string>

// A failure of the ODBC driver core: the driver's or server's message text. what() is UTF-8.
class OdbcError : public std::runtime_error {
public:
    explicit OdbcError(const std::u16string& text) : std::runtime_error(Utf8FromUtf16(text)), m_text(text) {}

    const std::u16string& text() const { return m_text; }

private:
    std::u16string m_text;
};
