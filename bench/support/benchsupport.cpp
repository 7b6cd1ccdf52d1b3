#include "benchsupport.h"

#include "data/embedded/databasebuilder.h"

#include <QFile>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <algorithm>
#include <chrono>
#include <sqlite3.h>

namespace benchsupport {

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString ProcedureBody(const QString& name) {
    QFile file(QStringLiteral(ZOR_DB_FOLDER "/procedures/") + name + QStringLiteral(".sql"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void CopyRow(sqlite3_stmt* statement, std::vector<QVariant>& cells) {
    const int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(statement, i)) {
        case SQLITE_INTEGER:
            cells.emplace_back(static_cast<qlonglong>(sqlite3_column_int64(statement, i)));
            break;
        case SQLITE_FLOAT:
            cells.emplace_back(sqlite3_column_double(statement, i));
            break;
        case SQLITE_NULL:
            cells.emplace_back();
            break;
        default:
            cells.emplace_back(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                  sqlite3_column_bytes(statement, i)));
        }
    }
}

LargeSessionDatabase::LargeSessionDatabase(int groups, int entries, int faculties, int types) {
    m_file = m_dir.filePath("session.db");
    DatabaseBuilder builder(ZOR_DB_FOLDER);
    builder.build(m_file, true);
    DatabaseBuilder::runScript(
        m_file,
        "INSERT INTO AcademicYear (id_a_year, YearName, FirstDay) VALUES (5, '2027/2028', '2027-09-01 "
        "00:00:00');"
        "WITH RECURSIVE n (i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < @groups) "
        "INSERT INTO StudyGroup (id_group, GroupName, id_faculty, EntryYear) "
        "SELECT 2000 + i, 'Б-' || i, 1 + i % @faculties, 2026 FROM n;"
        "WITH RECURSIVE n (i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < @groups * @entries) "
        "INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, id_discipline, id_examiner, id_form, "
        "Date_1, Time_1, Audience_1, id_typeControl_1) "
        "SELECT 5, 2, 2000 + n.i / @entries, 1 + n.i % @entries, 1 + n.i % 30, 1 + n.i % 3, "
        "datetime('2028-06-01', '+' || (n.i % 30) || ' days'), "
        "CASE n.i % 5 WHEN 0 THEN '09:00' WHEN 1 THEN '10.40' WHEN 2 THEN '12-20' WHEN 3 THEN '14:00' "
        "ELSE '15:40' END, '1-' || (101 + n.i % 400), 1 + n.i % @types FROM n;",
        {{"groups", groups}, {"entries", entries}, {"faculties", faculties}, {"types", types}});
}

std::vector<QVariant> Rows(sqlite3* db, const QByteArray& sql, const std::vector<qlonglong>& values) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &statement, nullptr);
    for (std::size_t i = 0; i < values.size(); ++i)
        sqlite3_bind_int64(statement, static_cast<int>(i) + 1, values[i]);
    std::vector<QVariant> cells;
    while (sqlite3_step(statement) == SQLITE_ROW)
        CopyRow(statement, cells);
    sqlite3_finalize(statement);
    return cells;
}

void CallScheduleBody(sqlite3* db, const QByteArray& body, qlonglong year, qlonglong semester,
                      qlonglong faculty, qlonglong group, std::vector<QVariant>& cells) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, body.constData(), static_cast<int>(body.size()), &statement, nullptr);
    const qlonglong values[] = {year, semester, faculty, group};
    const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (int i = 0; i < 4; ++i)
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, names[i]), values[i]);
    while (sqlite3_step(statement) == SQLITE_ROW)
        CopyRow(statement, cells);
    sqlite3_finalize(statement);
}

qint64 StatusBytes(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(qstrlen(key))).trimmed().split(' ').first().toLongLong() *
                   1024;
    return -1;
}

void ResetPeak() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QString LargeSessionDatabase::connectionString() const {
    return "User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" + m_file + "\"";
}

} // namespace benchsupport
