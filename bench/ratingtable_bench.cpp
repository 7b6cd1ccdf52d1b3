// Opening the schedule query on a group of 100,000 rows, against a bare loop that steps the same
// SELECT through SQLite's C API and copies each value into a storage reserved for them. Reports the
// ratio of the two (goal: at most 1.5) and the peak memory per row while opening. A second
// benchmark opens the same rows through the SQL Server driver (against the stand-in serving the
// same file) and compares the peak memory of the two engines (goal: at most 1.2).
#include "benchsupport.h"
#include "data/embedded/databasebuilder.h"
#include "datamodule/tdm_mb.h"
#include "support/tdsstandin.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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

// The reference: the SELECT stepped through the C API, each value copied into a storage reserved
// for the whole result. A text equal to the one above it in its column shares that one's string,
// as the program's do, so that the reference allocates no more than it must.
std::size_t BareLoop(sqlite3* db, const QByteArray& select, std::vector<QVariant>& cells) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, select.constData(), static_cast<int>(select.size()), &statement, nullptr);
    const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (int i = 0; i < 4; ++i)
        sqlite3_bind_int64(statement, sqlite3_bind_parameter_index(statement, names[i]),
                           Keys[i].toLongLong());
    const int columns = sqlite3_column_count(statement);
    cells.clear();
    cells.reserve(static_cast<std::size_t>(Rows) * static_cast<std::size_t>(columns));
    std::vector<QByteArray> lastBytes(static_cast<std::size_t>(columns));
    std::vector<QVariant> lastText(static_cast<std::size_t>(columns));
    while (sqlite3_step(statement) == SQLITE_ROW) {
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
            default: {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                const int length = sqlite3_column_bytes(statement, i);
                QByteArray& last = lastBytes[static_cast<std::size_t>(i)];
                if (length != last.size() || std::memcmp(text, last.constData(), length) != 0) {
                    last.resize(length); // keeps the storage it has
                    std::memcpy(last.data(), text, static_cast<std::size_t>(length));
                    lastText[static_cast<std::size_t>(i)] = QString::fromUtf8(last);
                }
                cells.push_back(lastText[static_cast<std::size_t>(i)]);
            }
            }
        }
    }
    sqlite3_finalize(statement);
    benchmark::DoNotOptimize(cells.data());
    return cells.size() / static_cast<std::size_t>(std::max(columns, 1));
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
    const qint64 before = benchsupport::StatusBytes("VmRSS:");
    benchsupport::ResetPeak();
    module.ADOQ_RatingTable->open();
    const qint64 peak = benchsupport::StatusBytes("VmHWM:");
    const qint64 held = benchsupport::StatusBytes("VmRSS:");
    const int rows = module.ADOQ_RatingTable->recordCount();
    module.ADOQ_RatingTable->close();

    module.ADOQ_RatingTable->open(); // opens ADOTable1 once, and warms the page cache
    module.ADOQ_RatingTable->close();
    std::vector<QVariant> cells;
    BareLoop(db, select, cells);

    std::vector<double> opens;
    std::vector<double> bare;
    for (auto _ : state) {
        opens.push_back(Seconds([&] {
            module.ADOQ_RatingTable->open();
            module.ADOQ_RatingTable->close();
        }));
        state.PauseTiming();
        bare.push_back(Seconds([&] { BareLoop(db, select, cells); }));
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

struct Peak {
    qint64 bytes = -1; // above the resident size before the opening
    int rows = 0;
};

// Opens the schedule once on a connection with this string, in a child process of its own, so that
// neither engine's memory, nor the benchmark's, counts for the other: the peak resident set while
// opening (/proc/self/status VmHWM after /proc/self/clear_refs reset it), above the resident set
// before it, and the rows read.
Peak PeakOfOpening(const QString& connectionString) {
    int ends[2];
    if (::pipe(ends) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        std::string report = "-1 0";
        try {
            TDM_MB module;
            module.ADOCon->setCommandTimeout(0);
            module.ADOCon->setConnectionString(connectionString);
            module.ADOCon->open();
            const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
            for (int i = 0; i < 4; ++i)
                module.ADOQ_RatingTable->findParam(names[i])->setValue(Keys[i]);
            const qint64 before = benchsupport::StatusBytes("VmRSS:");
            benchsupport::ResetPeak();
            module.ADOQ_RatingTable->open();
            const qint64 peak =
                std::max(benchsupport::StatusBytes("VmHWM:"), benchsupport::StatusBytes("VmRSS:"));
            report =
                std::to_string(peak - before) + " " + std::to_string(module.ADOQ_RatingTable->recordCount());
        } catch (const std::exception& error) {
            report = std::string("-1 0 ") + error.what();
        }
        const ssize_t written = ::write(ends[1], report.data(), report.size());
        ::_exit(written == static_cast<ssize_t>(report.size()) ? 0 : 1);
    }
    ::close(ends[1]);
    std::string text;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(ends[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(ends[0]);
    ::waitpid(child, nullptr, 0);
    Peak peak;
    const QStringList parts = QString::fromStdString(text).split(' ');
    peak.bytes = parts.value(0).toLongLong();
    peak.rows = parts.value(1).toInt();
    if (peak.bytes < 0)
        std::fprintf(stderr, "opening failed: %s\n", text.c_str());
    return peak;
}

// The peak memory of opening the same 100,000 rows through the embedded engine and through the SQL
// Server driver (FreeTDS against the stand-in on 127.0.0.1, which serves the same file).
void BM_OpenRatingTablePeakMemory(benchmark::State& state) {
    LargeDatabase& database = Database();
    QTemporaryDir logs;
    testsupport::TdsStandIn server(database.file, logs.path());
    Peak embedded;
    Peak sqlServer;
    for (auto _ : state) {
        embedded =
            PeakOfOpening("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" +
                          database.file + "\"");
        sqlServer = PeakOfOpening("User ID=zor_demo;Password=Zor27demo;Initial Catalog=demo;Data Source=" +
                                  server.dataSource());
    }
    state.counters["rows_embedded"] = embedded.rows;
    state.counters["rows_sql_server"] = sqlServer.rows;
    state.counters["peak_mb_embedded"] = double(embedded.bytes) / (1024 * 1024);
    state.counters["peak_mb_sql_server"] = double(sqlServer.bytes) / (1024 * 1024);
    state.counters["peak_ratio"] = embedded.bytes > 0 ? double(sqlServer.bytes) / double(embedded.bytes) : -1;
}
BENCHMARK(BM_OpenRatingTablePeakMemory)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
