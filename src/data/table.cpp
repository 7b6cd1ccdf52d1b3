#include "table.h"

#include "connection.h"
#include "dataerror.h"

Table::Table(const QString& name, Connection* connection, QObject* parent) : DataSet(name, parent) {
    setConnection(connection);
}

void Table::setTableName(const QString& tableName) {
    close();
    m_tableName = tableName;
}

StatementResult Table::fetch(QList<QVariant> cellStorage) {
    if (!connection())
        throw DataError(qualified(QStringLiteral("Missing Connection or ConnectionString")));
    if (m_tableName.isEmpty())
        throw DataError(qualified(QStringLiteral("Missing TableName property")));
    QString bracketed = m_tableName;
    bracketed.replace(']', QStringLiteral("]]"));
    StatementResult result =
        connection()->run(QStringLiteral("SELECT * FROM [") + bracketed + ']', {}, std::move(cellStorage));
    if (!result.hasResultSet)
        throw DataError(qualified(QStringLiteral("CommandText does not return a result set")));
    return result;
}
