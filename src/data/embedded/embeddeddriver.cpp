#include "data/embedded/embeddeddriver.h"

#include "data/dataerror.h"
#include "data/embedded/tsqlstatement.h"
#include "platform/filelocation.h"

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <sqlite3.h>

namespace {

// sqlite3_bind_parameter_name gives "@name", ":name" or "$name"; '?' markers have no name.
QString bareName(const char* name) {
    return name ? QString::fromUtf8(name + 1).toLower() : QString();
}

QString bareName(const QString& name) {
    const QString trimmed = name.trimmed();
    return (trimmed.startsWith('@') ? trimmed.mid(1) : trimmed).toLower();
}

[[noreturn]] void cannotOpen(const QString& catalog, const QString& reason) {
    throw DataError(QString("Cannot open database \"%1\" requested by the login. %2").arg(catalog, reason));
}

} // namespace

std::unique_ptr<Driver> CreateEmbeddedDriver(const QString& databaseFolder) {
    return std::make_unique<EmbeddedDriver>(databaseFolder);
}

EmbeddedDriver::EmbeddedDriver(QString databaseFolder) : m_databaseFolder(std::move(databaseFolder)) {}

QString EmbeddedDriver::databasePath(const QString& databaseFolder, const QString& catalog) {
    if (QDir::isAbsolutePath(catalog))
        return QDir::cleanPath(catalog);
    if (databaseFolder.isEmpty())
        return QString();
    return QDir::cleanPath(databaseFolder + "/" + catalog);
}

void EmbeddedDriver::open(const ConnectionPairs& settings) {
    close();
    QString catalog = ConnectionStringValue(settings, "Initial Catalog");
    if (catalog.isNull())
        catalog = ConnectionStringValue(settings, "Database");
    const QString user = ConnectionStringValue(settings, "User ID");
    const QString password = ConnectionStringValue(settings, "Password");
    if (catalog.trimmed().isEmpty())
        cannotOpen(catalog, "No database file was named.");
    const QString path = databasePath(m_databaseFolder, catalog);
    if (path.isEmpty())
        cannotOpen(catalog, "No folder was given for database files.");
    if (!QFileInfo(path).isFile())
        cannotOpen(catalog, QString("The file \"%1\" does not exist.").arg(QDir::toNativeSeparators(path)));
    try {
        m_db.open(path, SqliteDatabase::Mode::OpenExisting);
    } catch (const DataError& error) {
        cannotOpen(catalog, QString("The file \"%1\" cannot be opened: %2.")
                                .arg(QDir::toNativeSeparators(path), error.text()));
    }
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(m_db.handle(), "SELECT password FROM sys_logins WHERE name = ?", -1,
                                      &statement, nullptr);
    if (rc != SQLITE_OK) {
        const int code = m_db.errorCode();
        const QString text = m_db.errorText();
        m_db.close();
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
            cannotOpen(
                catalog,
                QString("The file \"%1\" is not a valid database file.").arg(QDir::toNativeSeparators(path)));
        if (text.startsWith("no such table"))
            cannotOpen(catalog,
                       QString("The file \"%1\" holds no logins.").arg(QDir::toNativeSeparators(path)));
        cannotOpen(catalog,
                   QString("The file \"%1\" cannot be read: %2.").arg(QDir::toNativeSeparators(path), text));
    }
    const QByteArray name = user.toUtf8();
    sqlite3_bind_text(statement, 1, name.constData(), name.size(), SQLITE_TRANSIENT);
    const int step = sqlite3_step(statement);
    const bool accepted =
        step == SQLITE_ROW && sqlite3_column_type(statement, 0) != SQLITE_NULL &&
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))) == password;
    sqlite3_finalize(statement);
    if (step != SQLITE_ROW && step != SQLITE_DONE) {
        const QString text = m_db.errorText();
        m_db.close();
        cannotOpen(catalog,
                   QString("The file \"%1\" cannot be read: %2.").arg(QDir::toNativeSeparators(path), text));
    }
    if (!accepted) {
        m_db.close();
        throw DataError(QString("Login failed for user '%1'.").arg(user));
    }
    m_db.leaveLogOnShare(platform::OnLocalDisk(path.toUtf8().toStdString()));
    m_db.exec("PRAGMA foreign_keys = ON");
    m_permissions.load(m_db.handle(), user, QFileInfo(catalog).completeBaseName());
    m_dateOrder = QStringLiteral("mdy");
    m_noCount = false;
}

void EmbeddedDriver::setStatementTimeout(int seconds) {
    Driver::setStatementTimeout(seconds);
    m_db.setStatementTimeout(seconds);
}

QString EmbeddedDriver::equalsValue(const QString& column, FieldKind kind) const {
    if (kind != FieldKind::DateTime)
        return Driver::equalsValue(column, kind);
    // The contract admits only forms that SQLite reads as well; to the millisecond, as the reader.
    return QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', ") + column +
           QStringLiteral(") = strftime('%Y-%m-%d %H:%M:%f', ?)");
}

void EmbeddedDriver::close() {
    m_db.close();
    m_permissions.clear();
}

bool EmbeddedDriver::isOpen() const {
    return m_db.isOpen();
}

StatementResult EmbeddedDriver::execute(const QString& text, const QList<QVariant>& values) {
    if (!m_db.isOpen())
        throw DataError("The connection is not open.");
    QList<QVariant> cellStorage = takeCellStorage();
    const TsqlStatement statement = TsqlStatement::parse(text);
    switch (statement.kind) {
    case TsqlStatement::Kind::SetDateFormat:
        m_dateOrder = statement.dateOrder;
        return {};
    case TsqlStatement::Kind::SetNoCount:
        m_noCount = statement.noCount;
        return {};
    case TsqlStatement::Kind::SetOption:
        return {};
    case TsqlStatement::Kind::Exec:
        return runProcedure(statement, values, std::move(cellStorage));
    case TsqlStatement::Kind::Sql:
        break;
    }
    return runSql(text, values, std::move(cellStorage));
}

StatementResult EmbeddedDriver::runSql(const QString& text, const QList<QVariant>& values,
                                       QList<QVariant> cellStorage) {
    StatementResult result;
    result.cells = std::move(cellStorage);
    qsizetype next = 0;
    auto binder = [&](sqlite3_stmt* statement, int index, const char*) {
        SqliteDatabase::bind(statement, index, next < values.size() ? values[next] : QVariant());
        ++next;
    };
    m_permissions.resetRefusal();
    m_permissions.guard(m_db.handle(), true);
    try {
        m_db.run(text.toUtf8(), binder, result, m_dateOrder);
    } catch (const DataError&) {
        m_permissions.guard(m_db.handle(), false);
        if (!m_permissions.refusal().isEmpty())
            throw DataError(m_permissions.refusal());
        throw;
    }
    m_permissions.guard(m_db.handle(), false);
    if (m_noCount)
        result.rowsAffected = -1;
    if (next != values.size())
        throw DataError(QString("The statement has %1 parameter markers but %2 values were supplied.")
                            .arg(next)
                            .arg(values.size()));
    return result;
}

void EmbeddedDriver::runProcedureBody(const TsqlStatement& call, const QList<QVariant>& values,
                                      StatementResult& result) {
    QString name = call.procedure;
    QString params;
    QByteArray body;
    {
        // A lookup that cannot read the file (another session holds it locked past the limit) is
        // a failure of the call, not a missing procedure.
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db.handle(),
                               "SELECT name, params, body FROM sys_procedures WHERE lower(name) = lower(?)",
                               -1, &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            m_db.fail();
        }
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
        const QByteArray key = call.procedure.toUtf8();
        sqlite3_bind_text(raw, 1, key.constData(), key.size(), SQLITE_TRANSIENT);
        const int step = sqlite3_step(raw);
        if (step != SQLITE_ROW && step != SQLITE_DONE)
            m_db.fail();
        if (step != SQLITE_ROW)
            throw DataError(QString("Could not find stored procedure '%1'.").arg(call.procedure));
        name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
        params = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 1)));
        body = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(raw, 2)));
    }
    m_permissions.checkExecute(name);

    QStringList names; // bare, lower case, in declared order
    QStringList declared;
    for (const QString& param : params.split(',', Qt::SkipEmptyParts)) {
        if (param.trimmed().isEmpty())
            continue;
        names.append(bareName(param));
        declared.append('@' + param.trimmed().remove(0, param.trimmed().startsWith('@') ? 1 : 0));
    }
    if (call.arguments.size() > names.size())
        throw DataError(QString("Procedure or function %1 has too many arguments specified.").arg(name));
    QHash<QString, QVariant> bound;
    for (qsizetype i = 0; i < call.arguments.size(); ++i) {
        const ExecArgument& argument = call.arguments[i];
        const QVariant value = argument.marker >= 0 ? values[argument.marker] : argument.value;
        QString key;
        if (argument.name.isEmpty()) {
            key = names[i];
        } else {
            key = bareName(argument.name);
            if (!names.contains(key))
                throw DataError(QString("%1 is not a parameter for procedure %2.").arg(argument.name, name));
            if (bound.contains(key))
                throw DataError(QString("Parameter '%1' was supplied multiple times.").arg(argument.name));
        }
        bound.insert(key, value);
    }
    for (qsizetype i = 0; i < names.size(); ++i)
        if (!bound.contains(names[i]))
            throw DataError(
                QString("Procedure or function '%1' expects parameter '%2', which was not supplied.")
                    .arg(name, declared[i]));

    auto binder = [&](sqlite3_stmt* statement, int index, const char* parameter) {
        SqliteDatabase::bind(statement, index, bound.value(bareName(parameter)));
    };
    m_db.run(body, binder, result, m_dateOrder);
}

StatementResult EmbeddedDriver::runProcedure(const TsqlStatement& call, const QList<QVariant>& values,
                                             QList<QVariant> cellStorage) {
    if (call.markers != values.size())
        throw DataError(QString("The statement has %1 parameter markers but %2 values were supplied.")
                            .arg(call.markers)
                            .arg(values.size()));
    // The procedure is looked up, its arguments bound and its body run in one transaction: one
    // read of the file's state for the whole call, and a body that fails leaves nothing changed.
    // A call that reads and then writes cannot wait for the write lock once another connection has
    // written meanwhile: its snapshot is stale and SQLite refuses at once. Outside a transaction of
    // the caller's such a call is rolled back and run again holding the write lock from its start,
    // so that it waits its turn like any other writer.
    const bool ownTransaction = sqlite3_get_autocommit(m_db.handle()) != 0;
    StatementResult result;
    result.cells = std::move(cellStorage);
    bool writer = false;
    const auto rollBack = [&] {
        try {
            m_db.exec(writer ? "ROLLBACK TO zor_procedure; RELEASE zor_procedure; ROLLBACK"
                             : "ROLLBACK TO zor_procedure; RELEASE zor_procedure");
        } catch (const DataError&) {
            // The error that ended the call is the one to report.
        }
    };
    for (;;) {
        m_db.exec(writer ? "BEGIN IMMEDIATE; SAVEPOINT zor_procedure" : "SAVEPOINT zor_procedure");
        try {
            runProcedureBody(call, values, result);
            m_db.exec(writer ? "RELEASE zor_procedure; COMMIT" : "RELEASE zor_procedure");
            break;
        } catch (const DataError&) {
            const bool again = !writer && ownTransaction && m_db.lastFailureWasUnwaitedBusy();
            rollBack();
            if (!again)
                throw;
            writer = true;
            result.hasResultSet = false;
            result.columns.clear();
            result.cells.clear();
            result.rowsAffected = -1;
        } catch (...) {
            rollBack();
            throw;
        }
    }
    if (m_noCount)
        result.rowsAffected = -1;
    return result;
}
