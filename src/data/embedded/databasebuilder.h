#pragma once

#include <QString>
#include <QVariantMap>

// Builds contract database files from the SQL scripts of the db/ folder:
//   schema.sql          the system tables, the base tables, TypeControl and the views; then
//                       ContractRules keep every column to its declared type
//   logins.sql          the logins and their permissions
//   procedures/NAME.sql one procedure each; its first line "-- params: @a, @b" lists the parameters
//   demo.sql            demo data
//   large.sql           one group with @rows schedule rows, for benchmarks (after demo.sql)
class DatabaseBuilder {
public:
    explicit DatabaseBuilder(QString scriptFolder);

    // Writes a new database file (replacing an existing one only when the build succeeded).
    // Raises DataError naming the script and SQLite's text when a script fails.
    void build(const QString& file, bool withDemoData) const;

    // Adds large.sql's benchmark group of `rows` schedule rows to a database built with demo data.
    void addLargeGroup(const QString& file, int rows) const;

    // Stores a procedure in the file's sys_procedures, replacing one of the same name.
    static void setProcedure(const QString& file, const QString& name, const QString& params,
                             const QString& body);

    // Runs a script of statements whose named parameters ("@name") take the given values.
    static void runScript(const QString& file, const QString& sql, const QVariantMap& parameters = {});

private:
    QString readScript(const QString& relativePath) const;

    QString m_folder;
};
