// The clash pass over a year and semester of 300 groups of 12 entries on the embedded engine:
// against a bare loop of the same statements (the groups from RatingView, then the body of
// GetRatingTable per group) stepped through SQLite's C API (goal: ratio at most 1.5); and the
// longest stretch for which the pass keeps the GUI thread busy (goal: under 16 ms).
#include "benchshell.h"
#include "benchsupport.h"
#include "context/usershell.h"
#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "schedule/clashes/clashpass.h"
#include "schedule/clashes/clashwatch.h"
#include "schedule/scheduleeditor.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sqlite3.h>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::Seconds;

const QVariant Year = benchsupport::LargeSessionYear;
const QVariant Semester = benchsupport::LargeSessionSemester;

benchsupport::LargeSessionDatabase& Database() {
    static benchsupport::LargeSessionDatabase database(benchsupport::LargeSessionGroups,
                                                       benchsupport::LargeSessionEntries, 6, 1);
    return database;
}

// The reference: the same statements stepped through the C API, every value copied.
std::size_t BareLoop(sqlite3* db, const QByteArray& body) {
    const std::vector<QVariant> groups = benchsupport::Rows(
        db,
        "SELECT id_group, p20 AS [Group], id_faculty FROM [RatingView] WHERE id_a_year = ? "
        "AND id_semester = ? GROUP BY id_group, p20, id_faculty",
        {Year.toLongLong(), Semester.toLongLong()});
    std::vector<QVariant> cells;
    for (std::size_t g = 0; g + 2 < groups.size(); g += 3)
        benchsupport::CallScheduleBody(db, body, Year.toLongLong(), Semester.toLongLong(),
                                       groups[g + 2].toLongLong(), groups[g].toLongLong(), cells);
    benchmark::DoNotOptimize(cells.data());
    return cells.size();
}

void BM_ClashPass(benchmark::State& state) {
    benchsupport::LargeSessionDatabase& database = Database();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(database.file()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray body = benchsupport::ProcedureBody(QStringLiteral("GetRatingTable")).toUtf8();
    Connection connection;
    connection.setConnectionString(database.connectionString());
    connection.open();
    const auto never = [] { return false; };
    std::size_t entries = ClashPass::Read(connection, Year, Semester, never).size();
    BareLoop(db, body);

    std::vector<double> passes;
    std::vector<double> bare;
    for (auto _ : state) {
        passes.push_back(Seconds([&] {
            const std::vector<ClashEntry> read = ClashPass::Read(connection, Year, Semester, never);
            const ClashIndex index(read);
            benchmark::DoNotOptimize(index.size());
        }));
        state.PauseTiming();
        bare.push_back(Seconds([&] { BareLoop(db, body); }));
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["pass_ms"] = Median(passes) * 1000;
    state.counters["bare_ms"] = Median(bare) * 1000;
    state.counters["ratio"] = Median(passes) / Median(bare);
    sqlite3_close(db);
}
BENCHMARK(BM_ClashPass)->Unit(benchmark::kMillisecond)->Iterations(10);

// The GUI thread during a pass: every round of its event loop is timed (polled, so that waiting
// for the next event is not counted); the longest is what the
// pass cost the window at worst (starting it, and marking the shown group when it ends).
void BM_ClashPassGuiBusy(benchmark::State& state) {
    benchsupport::LargeSessionDatabase& database = Database();
    std::vector<double> longest;
    double passSeconds = 0;
    for (auto _ : state) {
        TDM_MB data;
        data.ADOCon->setConnectionString(database.connectionString());
        data.ADOCon->open();
        data.ADOQ_A_Year->open();
        benchsupport::QuietShell shell;
        ScheduleEditor editor(data, shell);
        ClashWatch watch(data, editor, QString());
        bool ended = false;
        QObject::connect(&watch, &ClashWatch::passEnded, [&] { ended = true; });
        benchsupport::Pick(editor.year(), "2027/2028");
        double worst = Seconds(
            [&] { benchsupport::Pick(editor.semester(), QString::fromUtf8("2-й семестр (весенний)")); });
        benchsupport::Pick(editor.faculty(), QString::fromUtf8("Факультет информационных технологий"));
        benchsupport::Pick(editor.group(), QStringLiteral("Б-0"));
        const auto start = std::chrono::steady_clock::now();
        while (!ended)
            worst = std::max(worst, Seconds([] { QCoreApplication::processEvents(); }));
        passSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        longest.push_back(worst);
    }
    state.counters["gui_busy_ms_max"] = *std::max_element(longest.begin(), longest.end()) * 1000;
    state.counters["gui_busy_ms_median"] = Median(longest) * 1000;
    state.counters["pass_wall_ms"] = passSeconds / static_cast<double>(longest.size()) * 1000;
}
BENCHMARK(BM_ClashPassGuiBusy)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
