#pragma once

#include <QString>
#include <QVariantMap>

namespace testsupport {

// Contract databases for tests, built from the scripts of db/ (schema, procedures, logins and,
// when asked, the demo data). The logins are those of db/logins.sql: zor_boot/boot (may only run
// GET_USER) and zor_demo/Zor27demo; the demo user signs in as demo/demo.

// The db/ folder of the source tree.
QString ContractScriptsDir();

// Writes a fresh contract database `name` into `folder` and returns its absolute path.
QString BuildContractDb(const QString& folder, bool withDemoData = true, const QString& name = "contract.db");

// Gives a database's procedure (added when missing) these parameters ('@a, @b') and this body.
void ReplaceProcedure(const QString& dbFile, const QString& name, const QString& params, const QString& body);

// A statement for a procedure body that fails with exactly `message`. SQLite raises errors only
// inside triggers, so this installs one in the database file; the statement fires it.
QString RaiseStatement(const QString& dbFile, const QString& message);

// Runs statements on a database file; "@name" parameters take the given values.
void ExecuteSql(const QString& dbFile, const QString& sql, const QVariantMap& parameters = {});

} // namespace testsupport
