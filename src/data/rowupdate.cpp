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
                         const QList<ColumnChange>& changes) {
    RowUpdate update;
    update.statement = QStringLiteral("UPDATE ") + Bracketed(table) + QStringLiteral(" SET ");
    for (qsizetype i = 0; i < changes.size(); ++i) {
        if (i > 0)
            update.statement += QStringLiteral(", ");
        update.statement += Bracketed(changes[i].column) + QStringLiteral(" = ?");
        update.values.append(changes[i].value);
    }
    update.statement += QStringLiteral(" WHERE ") + Bracketed(keyColumn) + QStringLiteral(" = ?");
    update.values.append(key);
    for (const ColumnChange& change : changes) {
        update.statement += QStringLiteral(" AND ") + Bracketed(change.column);
        if (IsNullValue(change.original)) {
            update.statement += QStringLiteral(" IS NULL");
        } else {
            update.statement += QStringLiteral(" = ?");
            update.values.append(change.original);
        }
    }
    return update;
}
