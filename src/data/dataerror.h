#pragma once

#include <QString>
#include <stdexcept>

// An error of the data access layer or of the database: what() is the provider's or server's
// message text, UTF-8.
class DataError : public std::runtime_error {
public:
    explicit DataError(const QString& message) : std::runtime_error(message.toStdString()) {}

    QString text() const { return QString::fromUtf8(what()); }
};
