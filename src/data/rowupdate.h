#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// One changed column of a row: the value read from the database and the value to write.
struct ColumnChange {
    QString column;
    QVariant original; // Null when the column was NULL when read
    QVariant value;    // a typed null for NULL
};

// A parameterised statement with its values by position.
struct RowUpdate {
    QString statement;
    QList<QVariant> values;
};

// The optimistic write-back of one row: sets the changed columns of the base table's row with the
// given key, but only while each changed column still holds its original value (IS NULL for a
// NULL original), so that a row changed or deleted by someone else since it was read matches
// nothing. Names are bracketed.
RowUpdate BuildRowUpdate(const QString& table, const QString& keyColumn, const QVariant& key,
                         const QList<ColumnChange>& changes);
