#include "data/embedded/contractrules.h"

#include "data/dataerror.h"
#include "data/driver.h"
#include "data/embedded/columndecoder.h"
#include "data/embedded/sqlitedatabase.h"

#include <QStringList>
#include <sqlite3.h>

namespace {

QString bracketed(const QString& name) {
    QString escaped = name;
    escaped.replace(']', QStringLiteral("]]"));
    return '[' + escaped + ']';
}

QString literal(const QString& text) {
    QString escaped = text;
    escaped.replace('\'', QStringLiteral("''"));
    return '\'' + escaped + '\'';
}

struct Column {
    QString table;
    QString name;
    QString declaredType;
};

QList<Column> tableColumns(SqliteDatabase& db) {
    QList<Column> columns;
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT m.name, p.name, p.type FROM sqlite_master m, pragma_table_info(m.name) p "
                      "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite_%' ORDER BY m.name, p.cid";
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &statement, nullptr) != SQLITE_OK)
        throw DataError(db.errorText());
    const auto text = [&](int column) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    };
    while (sqlite3_step(statement) == SQLITE_ROW)
        columns.append({text(0), text(1), text(2)});
    sqlite3_finalize(statement);
    return columns;
}

// A trigger that refuses a row whose column breaks the rule, on insert and on update of it.
QString triggers(const Column& column, const QString& rule, const QString& broken, const QString& message) {
    QString sql;
    const QString name = QStringLiteral("zor_%1_%2_%3").arg(rule, column.table, column.name);
    const QString body =
        QStringLiteral(" WHEN NEW.%1 IS NOT NULL AND %2 BEGIN SELECT RAISE(ABORT, %3); END;\n")
            .arg(bracketed(column.name), broken, literal(message));
    sql += QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT ON %2")
               .arg(bracketed(name + QStringLiteral("_insert")), bracketed(column.table)) +
           body;
    sql += QStringLiteral("CREATE TRIGGER %1 BEFORE UPDATE OF %2 ON %3")
               .arg(bracketed(name + QStringLiteral("_update")), bracketed(column.name),
                    bracketed(column.table)) +
           body;
    return sql;
}

} // namespace

QString ContractRules::dateTextCondition(const QString& expression) {
    const QString x = expression;
    const QString time = QStringLiteral("substr(%1, 12)").arg(x);
    const QString clock = QStringLiteral("[0-2][0-9]:[0-5][0-9]");
    const QString seconds = clock + QStringLiteral(":[0-5][0-9]");
    QStringList times;
    for (const QString& pattern :
         {clock, seconds, seconds + QStringLiteral(".[0-9]"), seconds + QStringLiteral(".[0-9][0-9]"),
          seconds + QStringLiteral(".[0-9][0-9][0-9]")})
        times << QStringLiteral("%1 GLOB '%2'").arg(time, pattern);
    return QStringLiteral(
               "(typeof(%1) = 'text' AND %1 GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]*' AND "
               "substr(%1, 1, 4) >= '1753' AND date(julianday(substr(%1, 1, 10))) IS substr(%1, 1, 10) AND "
               "(length(%1) = 10 OR (substr(%1, 11, 1) IN (' ', 'T') AND substr(%1, 12, 2) <= '23' "
               "AND (%2))))")
        .arg(x, times.join(QStringLiteral(" OR ")));
}

void ContractRules::install(SqliteDatabase& db) {
    QString sql;
    for (const Column& column : tableColumns(db)) {
        const ColumnInfo type = ColumnDecoder::kindOfDeclaredType(column.declaredType);
        const bool sized = column.declaredType.contains('(') && type.size > 0;
        if ((type.kind == FieldKind::WideString || type.kind == FieldKind::AnsiString) && sized) {
            sql += triggers(
                column, QStringLiteral("length"),
                QStringLiteral("length(NEW.%1) > %2").arg(bracketed(column.name)).arg(type.size),
                QStringLiteral("String or binary data would be truncated in table '%1', column '%2'.")
                    .arg(column.table, column.name));
        } else if (type.kind == FieldKind::DateTime) {
            sql += triggers(
                column, QStringLiteral("date"),
                QStringLiteral("NOT ") + dateTextCondition(QStringLiteral("NEW.") + bracketed(column.name)),
                QStringLiteral("Conversion failed when converting date and/or time from character string."));
        }
    }
    db.exec(sql.toUtf8());
}
