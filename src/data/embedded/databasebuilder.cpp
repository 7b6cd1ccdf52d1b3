#include "data/embedded/databasebuilder.h"

#include "data/dataerror.h"
#include "data/embedded/contractrules.h"
#include "data/embedded/sqlitedatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {

void runOn(SqliteDatabase& db, const QString& sql, const QVariantMap& parameters, const QString& source) {
    auto binder = [&](sqlite3_stmt* statement, int index, const char* name) {
        const QString key = name ? QString::fromUtf8(name + 1) : QString();
        for (auto it = parameters.begin(); it != parameters.end(); ++it)
            if (it.key().compare(key, Qt::CaseInsensitive) == 0) {
                SqliteDatabase::bind(statement, index, it.value());
                return;
            }
        SqliteDatabase::bind(statement, index, QVariant());
    };
    StatementResult ignored;
    try {
        db.run(sql.toUtf8(), binder, ignored);
    } catch (const DataError& error) {
        throw DataError(QString("%1: %2").arg(source, error.text()));
    }
}

void storeProcedure(SqliteDatabase& db, const QString& name, const QString& params, const QString& body) {
    runOn(db,
          "DELETE FROM sys_procedures WHERE lower(name) = lower(@name);"
          "INSERT INTO sys_procedures(name, params, body) VALUES (@name, @params, @body)",
          {{"name", name}, {"params", params}, {"body", body}}, name);
}

} // namespace

DatabaseBuilder::DatabaseBuilder(QString scriptFolder) : m_folder(std::move(scriptFolder)) {}

QString DatabaseBuilder::readScript(const QString& relativePath) const {
    QFile file(QDir(m_folder).filePath(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(
            QString("Cannot read the script \"%1\": %2").arg(file.fileName(), file.errorString()));
    return QString::fromUtf8(file.readAll());
}

void DatabaseBuilder::build(const QString& file, bool withDemoData) const {
    const QString partial = file + ".partial";
    QFile::remove(partial);
    {
        SqliteDatabase db;
        db.open(partial, SqliteDatabase::Mode::Create);
        try {
            db.exec("PRAGMA journal_mode = DELETE; BEGIN");
            runOn(db, readScript("schema.sql"), {}, "schema.sql");
            ContractRules::install(db);
            runOn(db, readScript("logins.sql"), {}, "logins.sql");
            static const QRegularExpression header(R"(^\s*--\s*params:([^\r\n]*))",
                                                   QRegularExpression::CaseInsensitiveOption);
            const QStringList procedures =
                QDir(QDir(m_folder).filePath("procedures")).entryList({"*.sql"}, QDir::Files, QDir::Name);
            for (const QString& procedureFile : procedures) {
                const QString body = readScript("procedures/" + procedureFile);
                const QRegularExpressionMatch match = header.match(body);
                if (!match.hasMatch())
                    throw DataError(QString("procedures/%1: the first line must list the parameters "
                                            "(\"-- params: @a, @b\").")
                                        .arg(procedureFile));
                storeProcedure(db, QFileInfo(procedureFile).completeBaseName(), match.captured(1).trimmed(),
                               body);
            }
            if (withDemoData)
                runOn(db, readScript("demo.sql"), {}, "demo.sql");
            db.exec("COMMIT");
        } catch (...) {
            db.close();
            QFile::remove(partial);
            throw;
        }
    }
    QFile::remove(file);
    if (!QFile::rename(partial, file))
        throw DataError(QString("Cannot write the database file \"%1\".").arg(file));
}

void DatabaseBuilder::addLargeGroup(const QString& file, int rows) const {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Mode::OpenExisting);
    db.exec("BEGIN");
    runOn(db, readScript("large.sql"), {{"rows", rows}}, "large.sql");
    db.exec("COMMIT");
}

void DatabaseBuilder::setProcedure(const QString& file, const QString& name, const QString& params,
                                   const QString& body) {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Mode::OpenExisting);
    storeProcedure(db, name, params, body);
}

void DatabaseBuilder::runScript(const QString& file, const QString& sql, const QVariantMap& parameters) {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Mode::OpenExisting);
    runOn(db, sql, parameters, QFileInfo(file).fileName());
}
