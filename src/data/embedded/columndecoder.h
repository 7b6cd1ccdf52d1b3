#pragma once

#include "data/driver.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct sqlite3_stmt;

// Turns the cells of one result column into QVariants of the kind its declared type names
// (INT, NVARCHAR(n), VARCHAR(n), DATETIME, BIGINT, FLOAT, ...). A column without a declared
// type (an expression) is typed by its values once the whole result has been read.
class ColumnDecoder {
public:
    ColumnDecoder(const QString& name, const char* declaredType, const QString& dateOrder);

    // Reads the cell of the current row. Raises DataError when the value does not fit the kind.
    QVariant read(sqlite3_stmt* statement, int column);

    // Settles the kind of an untyped column from its values (cells of `column` in a row-major
    // list of `columnCount` columns) and converts them to it.
    void finish(QList<QVariant>& cells, int column, int columnCount);

    const ColumnInfo& info() const { return m_info; }

    // The column kind and size that a declared type stands for; Unknown when it names none.
    static ColumnInfo kindOfDeclaredType(const QString& declaredType);

    // Stored DATETIME text: 'yyyy-MM-dd[ HH:mm[:ss[.zzz]]]' (also with 'T'), or day, month and
    // year in the session's order ("dmy", "mdy", ...) separated by '.', '/' or '-'. Invalid on failure.
    static QDateTime parseDateTime(QByteArrayView text, const QString& dateOrder);

    // The text form in which DATETIME values are stored and bound.
    static QString dateTimeText(const QDateTime& value);

private:
    QVariant readText(sqlite3_stmt* statement, int column);
    QVariant nullValue() const;

    ColumnInfo m_info;
    bool m_typed = false;
    QString m_dateOrder;
    // The previous row's text, so that repeated values share one string.
    QByteArray m_lastBytes;
    QString m_lastText;
};
