#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace testsupport {

// A column of a schedule row as a contract database file holds it now, read past any client or server
// with the embedded engine, by the row's id_schedule.
QVariant StoredScheduleValue(const QString& dbFile, const QString& column, const QVariant& key);

// The first column of every row a SELECT statement gives on a database file, read straight from the
// file (no login, no permissions).
QList<QVariant> StoredColumn(const QString& dbFile, const QString& statement);

} // namespace testsupport
