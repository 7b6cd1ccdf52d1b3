#pragma once

#include <QString>
#include <QVariant>

namespace testsupport {

// A column of a schedule row as a contract database file holds it now, read past any client or server
// with the embedded engine, by the row's id_schedule.
QVariant StoredScheduleValue(const QString& dbFile, const QString& column, const QVariant& key);

} // namespace testsupport
