#pragma once

#include "data/secrettext.h"

#include <QString>
#include <stdexcept>

// An error of the data access layer or of the database: what() is the provider's or server's
// message text, UTF-8, without any password that it repeated.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message)
        : std::runtime_error(
              QString::fromStdU16String(WithoutSecrets(message.toStdU16String())).toStdString()) {}

    QString text() const { return QString::fromUtf8(what()); }
};
