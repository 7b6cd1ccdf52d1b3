#pragma once

#include "driver.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

// One column of the row that a post writes, or only compares.
struct ColumnChange {
    QString column;
    QVariant original; // Null when the column was NULL when read
    QVariant value;    // a typed null for NULL; for a column only compared, its original
    FieldKind kind = FieldKind::Unknown;
    bool written = true;
};

// A parameterised statement with its values by position.
struct RowUpdate {
    QString statement;
    QList<QVariant> values;
};

// The engine's condition that a bracketed column of a kind holds the value of one '?' marker.
using EqualsValue = std::function<QString(const QString& column, FieldKind kind)>;

// The optimistic write-back of one row, as one batch of two statements. An UPDATE sets the
// written columns of the base table's row with the given key, but only while every listed column
// still holds its original value (IS NULL for a NULL original; `equals`, "[c] = ?" by default,
// otherwise), so that a row changed or deleted by someone else since it was read matches nothing.
// A SELECT then reads the listed columns of the row, in list order: what the row holds tells
// whether the post took effect even where the server reports no count of changed rows. The SET
// list keeps the order of the written columns. Names are bracketed.
RowUpdate BuildRowUpdate(const QString& table, const QString& keyColumn, const QVariant& key,
                         const QList<ColumnChange>& columns, const EqualsValue& equals = {});
