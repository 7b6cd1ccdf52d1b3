#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <vector>

struct sqlite3;
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

// Every row of a statement whose '?' markers take the values in order, each value copied as CopyRow
// does.
std::vector<QVariant> Rows(sqlite3* db, const QByteArray& sql, const std::vector<qlonglong>& values);
// One call of a procedure's body (see ProcedureBody) with @id_a_year, @id_semester, @id_faculty and
// @id_group bound, prepared anew as each EXEC is; its rows' values are appended to cells.
void CallScheduleBody(sqlite3* db, const QByteArray& body, qlonglong year, qlonglong semester,
                      qlonglong faculty, qlonglong group, std::vector<QVariant>& cells);

// The large session the clash pass and the session overview are measured on: 300 groups of 12
// entries in 2027/2028 (key 5), spring (key 2), a year the demo data does not have.
constexpr int LargeSessionGroups = 300;
constexpr int LargeSessionEntries = 12;
inline const QVariant LargeSessionYear = 5;
inline const QVariant LargeSessionSemester = 2;

// Resident ("VmRSS:") or peak resident ("VmHWM:") set of the process in bytes (Linux; -1 elsewhere).
qint64 StatusBytes(const char* key);
// Gives freed memory back to the system and sets the peak resident set back to the resident one.
void ResetPeak();

// The demo database with one more academic year, 2027/2028 (key 5), whose spring semester (2) alone
// holds `groups` new groups of `entries` scheduled controls each: the groups spread over faculties 1
// to `faculties`, the controls over 30 examiners, 30 days, five spellings of their times, 400 rooms
// and control types 1 to `types`.
class LargeSessionDatabase {
public:
    LargeSessionDatabase(int groups, int entries, int faculties, int types);
    const QString& file() const { return m_file; }
    // The embedded engine's connection string for the demo login.
    QString connectionString() const;

private:
    QTemporaryDir m_dir;
    QString m_file;
};

} // namespace benchsupport
