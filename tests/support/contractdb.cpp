#include "support/contractdb.h"

#include "data/embedded/databasebuilder.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

namespace {

// The databases are built once per test program and copied, since building the demo data is the
// slow part.
QString cachedDatabase(bool withDemoData) {
    static QMutex mutex;
    static std::unique_ptr<QTemporaryDir> cache;
    static QString built[2];
    QMutexLocker lock(&mutex);
    QString& path = built[withDemoData ? 1 : 0];
    if (path.isEmpty()) {
        if (!cache)
            cache = std::make_unique<QTemporaryDir>();
        const QString file = cache->filePath(withDemoData ? "demo.db" : "empty.db");
        DatabaseBuilder(ContractScriptsDir()).build(file, withDemoData);
        path = file;
    }
    return path;
}

} // namespace

QString ContractScriptsDir() {
    return QStringLiteral(ZOR_DB_SCRIPTS);
}

QString BuildContractDb(const QString& folder, bool withDemoData, const QString& name) {
    const QString target = QDir(folder).absoluteFilePath(name);
    QFile::remove(target);
    if (!QFile::copy(cachedDatabase(withDemoData), target))
        throw std::runtime_error("cannot copy the contract database to " + target.toStdString());
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return target;
}

void ReplaceProcedure(const QString& dbFile, const QString& name, const QString& params,
                      const QString& body) {
    DatabaseBuilder::setProcedure(dbFile, name, params, body);
}

QString RaiseStatement(const QString& dbFile, const QString& message) {
    static int next = 0;
    const int id = ++next;
    QString literal = message;
    literal.replace('\'', "''");
    ExecuteSql(dbFile, QString("CREATE TABLE IF NOT EXISTS sys_raise (id INTEGER PRIMARY KEY);"
                               "DELETE FROM sys_raise;"
                               "CREATE TRIGGER sys_raise_%1 BEFORE INSERT ON sys_raise WHEN NEW.id = %1 "
                               "BEGIN SELECT RAISE(ABORT, '%2'); END;")
                           .arg(id)
                           .arg(literal));
    return QString("INSERT INTO sys_raise (id) VALUES (%1);").arg(id);
}

void ExecuteSql(const QString& dbFile, const QString& sql, const QVariantMap& parameters) {
    DatabaseBuilder::runScript(dbFile, sql, parameters);
}

} // namespace testsupport
