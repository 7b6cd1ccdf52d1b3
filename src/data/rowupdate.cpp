#include "rowupdate.h"

#include "valuecomparison.h"

namespace {

QString Bracketed(const QString& name) {
    QString escaped = name;
    escaped.replace(']', QStringLiteral("]]"));
    return '[' + escaped + ']';
}

} // namespace

RowUpdate BuildRowUpdate(const QString& table, const QString& keyColumn, const QVariant& key,
                         const QList<ColumnChange>& columns, const EqualsValue& equals) {
    RowUpdate update;
    update.statement = QStringLiteral("UPDATE ") + Bracketed(table) + QStringLiteral(" SET ");
    bool first = true;
    for (const ColumnChange& column : columns) {
        if (!column.written)
            continue;
        if (!first)
            update.statement += QStringLiteral(", ");
        first = false;
        update.statement += Bracketed(column.column) + QStringLiteral(" = ?");
        update.values.append(column.value);
    }
    update.statement += QStringLiteral(" WHERE ") + Bracketed(keyColumn) + QStringLiteral(" = ?");
    update.values.append(key);
    for (const ColumnChange& column : columns) {
        update.statement += QStringLiteral(" AND ");
        if (IsNullValue(column.original)) {
            update.statement += Bracketed(column.column) + QStringLiteral(" IS NULL");
        } else {
            update.statement += equals ? equals(Bracketed(column.column), column.kind)
                                       : Bracketed(column.column) + QStringLiteral(" = ?");
            update.values.append(column.original);
        }
    }
    update.statement += QStringLiteral(";\r\nSELECT ");
    for (qsizetype i = 0; i < columns.size(); ++i)
        update.statement += (i > 0 ? QStringLiteral(", ") : QString()) + Bracketed(columns[i].column);
    update.statement += QStringLiteral(" FROM ") + Bracketed(table) + QStringLiteral(" WHERE ") +
                        Bracketed(keyColumn) + QStringLiteral(" = ?");
    update.values.append(key);
    return update;
}
