#include "odbcdriver.h"

#include "data/dataerror.h"
#include "odbcconnectionstring.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// SQL type codes of the ODBC standard, as QSqlField::typeID() reports them.
FieldKind KindOfSqlType(int type, QMetaType metaType) {
    switch (type) {
    case 1:  // SQL_CHAR
    case 12: // SQL_VARCHAR
    case -1: // SQL_LONGVARCHAR
        return FieldKind::AnsiString;
    case -8:  // SQL_WCHAR
    case -9:  // SQL_WVARCHAR
    case -10: // SQL_WLONGVARCHAR
        return FieldKind::WideString;
    case 4:  // SQL_INTEGER
    case 5:  // SQL_SMALLINT
    case -6: // SQL_TINYINT
        return FieldKind::Integer;
    case -5: // SQL_BIGINT
        return FieldKind::LargeInt;
    case -7: // SQL_BIT
        return FieldKind::Boolean;
    case 2: // SQL_NUMERIC
    case 3: // SQL_DECIMAL
    case 6: // SQL_FLOAT
    case 7: // SQL_REAL
    case 8: // SQL_DOUBLE
        return FieldKind::Float;
    case 9:  // SQL_DATETIME
    case 11: // SQL_TIMESTAMP
    case 91: // SQL_TYPE_DATE
    case 93: // SQL_TYPE_TIMESTAMP
        return FieldKind::DateTime;
    case -2: // SQL_BINARY
    case -3: // SQL_VARBINARY
    case -4: // SQL_LONGVARBINARY
        return FieldKind::Bytes;
    default:
        break;
    }
    switch (metaType.id()) {
    case QMetaType::Int:
        return FieldKind::Integer;
    case QMetaType::LongLong:
        return FieldKind::LargeInt;
    case QMetaType::Double:
        return FieldKind::Float;
    case QMetaType::QDateTime:
        return FieldKind::DateTime;
    case QMetaType::QString:
        return FieldKind::WideString;
    default:
        return FieldKind::Unknown;
    }
}

// The server's or driver's messages without the bracketed vendor tags that ODBC puts before each
// ("[FreeTDS][SQL Server]Login failed ..." reads "Login failed ..."), and without the driver's
// generic opening failure when a more telling message follows it.
QString ProviderText(const QSqlError& error) {
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    static const QRegularExpression tags(QStringLiteral("(\\[[^\\]]*\\])+"));
    QStringList messages;
    for (const QString& piece : text.split(tags, Qt::SkipEmptyParts))
        if (!piece.trimmed().isEmpty())
            messages.append(piece.trimmed());
    if (messages.size() > 1)
        messages.removeAll(QStringLiteral("Unable to connect to data source"));
    return messages.join(' ');
}

QAtomicInt g_connectionCounter;

} // namespace

OdbcDriver::OdbcDriver(int loginTimeout) : m_loginTimeout(loginTimeout) {}

OdbcDriver::~OdbcDriver() {
    close();
}

void OdbcDriver::open(const ConnectionPairs& settings) {
    close();
    const QString name = QStringLiteral("zor-odbc-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1));
    QString failure;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        if (!database.isValid()) {
            failure = QStringLiteral("The ODBC driver of Qt is not installed");
        } else {
            database.setDatabaseName(BuildOdbcConnectionString(settings));
            database.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(m_loginTimeout));
            if (database.open()) {
                m_connectionName = name;
                return;
            }
            failure = ProviderText(database.lastError());
            if (failure.isEmpty())
                failure = QStringLiteral("Cannot connect to the server");
        }
    }
    QSqlDatabase::removeDatabase(name);
    throw DataError(failure);
}

void OdbcDriver::close() {
    if (m_connectionName.isEmpty())
        return;
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_connectionName.clear();
}

bool OdbcDriver::isOpen() const {
    return !m_connectionName.isEmpty() && QSqlDatabase::database(m_connectionName, false).isOpen();
}

StatementResult OdbcDriver::execute(const QString& statement, const QList<QVariant>& values) {
    if (!isOpen())
        throw DataError(QStringLiteral("Operation is not allowed when the connection is closed"));
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    // Forward only: the whole result is copied to the client, so no server cursor is asked for.
    query.setForwardOnly(true);
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(statement);
    } else {
        done = query.prepare(statement);
        if (done) {
            for (const QVariant& value : values)
                query.addBindValue(value);
            done = query.exec();
        }
    }
    if (!done)
        throw DataError(ProviderText(query.lastError()));
    StatementResult result;
    result.rowsAffected = query.numRowsAffected();
    // A procedure may report counts of its own statements before the rows it returns.
    while (!query.isSelect() && query.nextResult()) {
    }
    if (!query.isSelect())
        return result;
    result.hasResultSet = true;
    const QSqlRecord record = query.record();
    const int count = record.count();
    result.columns.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QSqlField field = record.field(i);
        const FieldKind kind = KindOfSqlType(field.typeID(), field.metaType());
        const bool text = kind == FieldKind::AnsiString || kind == FieldKind::WideString;
        result.columns.append({field.name(), kind, text ? std::max(0, field.length()) : 0});
    }
    while (query.next())
        for (int i = 0; i < count; ++i)
            result.cells.append(query.value(i));
    if (query.lastError().isValid())
        throw DataError(ProviderText(query.lastError()));
    return result;
}
