// Opening the schedule query on a group of 100,000 rows, against a bare loop that steps the same
// SELECT through SQLite's C API and copies each value into a vector. Reports the ratio of the two
// (goal: at most 1.5) and the peak memory per row while opening.
#include "benchsupport.h"
#include "data/embedded/databasebuilder.h"
#include "datamodule/tdm_mb.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlite3.h>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::Seconds;

constexpr int Rows = 100000;
// The benchmark group of db/large.sql.
const QVariant Keys[] = {4, 1, 1, 1000};

struct LargeDatabase {
    QTemporaryDir dir;
    QString file;
    LargeDatabase() {
        file = dir.filePath("large.db");
        DatabaseBuilder builder(ZOR_DB_FOLDER);
        builder.build(file, true);
        builder.addLargeGroup(file, Rows);
    }
};

LargeDatabase& Database() {
    static LargeDatabase database;
    return database;
}

// The reference: the SELECT stepped through the C API, each value copied into a vector.
std::size_t BareLoop(sqlite3* db, const QByteArray& select) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, select.constData(), static_cast<int>(select.size()), &statement, nullptr);
    const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (int i = 0; i < 4; ++i)
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, names[i]),
                           Keys[i].toLongLong());
    const int columns = sqlite3_column_count(statement);
    std::vector<QVariant> cells;
    while (sqlite3_step(statement) == SQLITE_ROW)
        benchsupport::CopyRow(statement, cells);
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(cells.data());
    return cells.size() / static_cast<std::size_t>(std::max(columns, 1));
}

// Resident and peak resident set of the process in bytes (Linux).
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
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void BM_OpenRatingTable(benchmark::State& state) {
    LargeDatabase& database = Database();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(database.file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray select = benchsupport::ProcedureBody(QStringLiteral("GetRatingTable")).toUtf8();

    TDM_MB module;
    module.ADOCon->setConnectionString(
        "User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" + database.file + "\"");
    module.ADOCon->open();
    const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (int i = 0; i < 4; ++i)
        module.ADOQ_RatingTable->findParam(names[i])->setValue(Keys[i]);
    // Peak memory of the first opening (freed memory stays with the process afterwards), above
    // what the process held before it.
    const qint64 before = StatusBytes("VmRSS:");
    ResetPeak();
    module.ADOQ_RatingTable->open();
    const qint64 peak = StatusBytes("VmHWM:");
    const qint64 held = StatusBytes("VmRSS:");
    const int rows = module.ADOQ_RatingTable->recordCount();
    module.ADOQ_RatingTable->close();

    module.ADOQ_RatingTable->open(); // opens ADOTable1 once, and warms the page cache
    module.ADOQ_RatingTable->close();
    BareLoop(db, select);

    std::vector<double> opens;
    std::vector<double> bare;
    for (auto _ : state) {
        opens.push_back(Seconds([&] {
            module.ADOQ_RatingTable->open();
            module.ADOQ_RatingTable->close();
        }));
        state.PauseTiming();
        bare.push_back(Seconds([&] { BareLoop(db, select); }));
        state.ResumeTiming();
    }
    const double openMedian = Median(opens);
    const double bareMedian = Median(bare);
    state.counters["rows"] = rows;
    state.counters["open_ms"] = openMedian * 1000;
    state.counters["bare_ms"] = bareMedian * 1000;
    state.counters["ratio"] = openMedian / bareMedian;
    // Peak above the resident size before the opening; where the peak cannot be reset, what the
    // open dataset holds.
    state.counters["peak_bytes_per_row"] =
        rows > 0 && before > 0 ? double(std::max(peak, held) - before) / rows : -1;
    state.counters["held_bytes_per_row"] = rows > 0 && before > 0 ? double(held - before) / rows : -1;
    sqlite3_close(db);
}
BENCHMARK(BM_OpenRatingTable)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
