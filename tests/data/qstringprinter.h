#pragma once

#include <QString>
#include <QVariant>
#include <ostream>

// Readable QString and QVariant values in GoogleTest's failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QVariant& value, std::ostream* out) {
    *out << "QVariant(" << value.metaType().name() << ", " << value.toString().toStdString() << ")";
}
