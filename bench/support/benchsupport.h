#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

struct sqlite3_stmt;

// What the benchmark programs share: timing, medians, the procedures of db/ and the reference
// copy of a SQLite row.
namespace benchsupport {

// Wall-clock seconds that work takes.
double Seconds(const std::function<void()>& work);
double Median(std::vector<double> values);
// The body of a procedure of db/procedures (the SQLite statement the embedded engine runs).
QString ProcedureBody(const QString& name);
// Appends the values of the statement's current row, each copied into a QVariant as the plain
// C API gives it: what a bare loop does with a row.
void CopyRow(sqlite3_stmt* statement, std::vector<QVariant>& cells);

} // namespace benchsupport
