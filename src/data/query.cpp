#include "query.h"

#include "connection.h"
#include "dataerror.h"
#include "parametermarkers.h"

#include <QRegularExpression>

Query::Query(const QString& name, Connection* connection, QObject* parent) : DataSet(name, parent) {
    setConnection(connection);
}

void Query::setSql(const QStringList& lines) {
    close();
    m_lines = lines;
    ParameterMarkers markers = ScanParameterMarkers(commandText());
    m_statement = std::move(markers.statement);
    m_parameters.rebuild(markers.names);
}

void Query::setSqlText(const QString& text) {
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    // A text that ends with a line break has no empty line after it.
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();
    if (text.isEmpty())
        lines.clear();
    setSql(lines);
}

void Query::setSqlVerbatim(const QString& text) {
    close();
    m_lines = QStringList{text};
    m_statement = commandText();
    m_parameters.rebuild({});
}

QString Query::commandText() const {
    QString text;
    for (const QString& line : m_lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

qint64 Query::execSQL() {
    if (!connection())
        throw DataError(qualified(QStringLiteral("Missing Connection or ConnectionString")));
    return connection()->run(m_statement, m_parameters.boundValues()).rowsAffected;
}

StatementResult Query::fetch(QList<QVariant> cellStorage) {
    if (!connection())
        throw DataError(qualified(QStringLiteral("Missing Connection or ConnectionString")));
    StatementResult result =
        connection()->run(m_statement, m_parameters.boundValues(), std::move(cellStorage));
    if (!result.hasResultSet)
        throw DataError(qualified(QStringLiteral("CommandText does not return a result set")));
    return result;
}
