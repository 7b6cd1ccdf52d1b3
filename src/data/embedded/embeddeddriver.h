#pragma once

#include "data/driver.h"
#include "data/embedded/loginpermissions.h"
#include "data/embedded/sqlitedatabase.h"

#include <memory>

struct TsqlStatement;

// The embedded engine: a SQLite database file that carries the database contract (logins in
// sys_logins, procedures in sys_procedures, permissions in sys_permissions), behind a small
// T-SQL front (EXEC, SET DATEFORMAT, SET NOCOUNT) that accepts what the client sends to the server.
class EmbeddedDriver : public Driver {
public:
    // databaseFolder: where plain database names are looked for.
    explicit EmbeddedDriver(QString databaseFolder = QString());

    // Opens the file named by Initial Catalog: a plain name in the database folder, an absolute
    // path as it is. Checks User ID and Password against sys_logins and refuses with
    // "Login failed for user 'NAME'.". A missing or damaged file is refused, never created.
    void open(const ConnectionPairs& settings) override;
    void close() override;
    bool isOpen() const override;
    StatementResult execute(const QString& statement, const QList<QVariant>& values) override;
    // A statement that runs longer, or waits longer for another connection's lock, fails with
    // "Query timeout expired".
    void setStatementTimeout(int seconds) override;
    // DATETIME values are stored as text, possibly in several forms: they compare as points in time.
    QString equalsValue(const QString& column, FieldKind kind) const override;

    // The session's date order ("mdy" until SET DATEFORMAT changes it).
    QString dateOrder() const { return m_dateOrder; }

    // The file a catalog names: a plain name inside databaseFolder, an absolute path as it is; empty
    // when a plain name meets an empty folder.
    static QString databasePath(const QString& databaseFolder, const QString& catalog);

private:
    StatementResult runSql(const QString& text, const QList<QVariant>& values, QList<QVariant> cellStorage);
    StatementResult runProcedure(const TsqlStatement& call, const QList<QVariant>& values,
                                 QList<QVariant> cellStorage);
    void runProcedureBody(const TsqlStatement& call, const QList<QVariant>& values, StatementResult& result);

    QString m_databaseFolder;
    SqliteDatabase m_db;
    LoginPermissions m_permissions;
    QString m_dateOrder = QStringLiteral("mdy");
    // SET NOCOUNT ON: counts of changed rows are not reported, as the server does not send them.
    bool m_noCount = false;
};

// The engine behind a Data Source of "embedded".
std::unique_ptr<Driver> CreateEmbeddedDriver(const QString& databaseFolder);
