#pragma once

#include <QString>
#include <stdexcept>

// A printed or exported schedule that could not be made or written: what() is the text for the
// user, UTF-8.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message) : std::runtime_error(message.toStdString()) {}

    QString text() const { return QString::fromUtf8(what()); }
};
