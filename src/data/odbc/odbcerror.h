#pragma once

#include "data/secrettext.h"
#include "odbctext.h"

#include <stdexcept>
#include <string>
#include <utility>

// A failure of the ODBC driver core: the driver's or server's message text, without any password
// that it repeated. what() is UTF-8.
class OdbcError : public std::runtime_error {
public:
    explicit OdbcError(const std::u16string& text) : OdbcError(WithoutSecrets(text), 0) {}

    const std::u16string& text() const { return m_text; }

private:
    OdbcError(std::u16string shown, int)
        : std::runtime_error(Utf8FromUtf16(shown)), m_text(std::move(shown)) {}

    std::u16string m_text;
};
