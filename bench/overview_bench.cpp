// Opening the session overview of a faculty of 300 groups of 12 entries on the embedded engine:
// from the start of the reading to the list and the day table built, against a bare loop of the
// same statements (the faculty's groups from RatingView, the control types, then the body of
// GetRatingTable per group) stepped through SQLite's C API on an open connection (goal: ratio at most
// 1.5), and on a connection that it opens first as the reader does (ratio_fresh_connection); and the
// longest stretch for which opening it keeps the GUI thread busy (goal: under 16 ms), with the
// models alone and with the window itself shown on the offscreen platform.
#include "benchshell.h"
#include "benchsupport.h"
#include "context/usershell.h"
#include "schedule/overview/sessiondaymodel.h"
#include "schedule/overview/sessionlistmodel.h"
#include "schedule/overview/sessionoverview.h"
#include "schedule/widgets/sessionoverviewwindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QTableView>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::Seconds;

// Every group in faculty 1.
const QVariant Year = benchsupport::LargeSessionYear;
const QVariant Semester = benchsupport::LargeSessionSemester;
const QVariant Faculty = 1;

benchsupport::LargeSessionDatabase& Database() {
    static benchsupport::LargeSessionDatabase database(benchsupport::LargeSessionGroups,
                                                       benchsupport::LargeSessionEntries, 1, 6);
    return database;
}

// The reference: the same statements stepped through the C API, every value copied.
std::size_t BareLoop(sqlite3* db, const QByteArray& body) {
    const std::vector<QVariant> types =
        benchsupport::Rows(db, "SELECT id_typeControl, typeControl FROM [TypeControl]", {});
    const std::vector<QVariant> groups = benchsupport::Rows(
        db,
        "SELECT id_group, p20 AS [Group] FROM [RatingView] WHERE id_a_year = ? AND id_semester = ? "
        "AND id_faculty = ? GROUP BY id_group, p20",
        {Year.toLongLong(), Semester.toLongLong(), Faculty.toLongLong()});
    std::vector<QVariant> cells;
    for (std::size_t g = 0; g + 1 < groups.size(); g += 2)
        benchsupport::CallScheduleBody(db, body, Year.toLongLong(), Semester.toLongLong(),
                                       Faculty.toLongLong(), groups[g].toLongLong(), cells);
    benchmark::DoNotOptimize(cells.data());
    return cells.size() + types.size();
}

SessionOverview::Scope Scope() {
    return {Year, Semester, Faculty, QStringLiteral("2027/2028"), QStringLiteral("2"), QStringLiteral("1")};
}

// Opens the overview as the window does (the reading on its worker, the list, the undated list
// and the day table built on this thread when it ends). With worst, the longest round of this
// thread's event loop, polled so that waiting for the next event is not counted; without, this
// thread waits idle.
std::size_t OpenOverview(double* worst) {
    double longest = 0;
    std::unique_ptr<SessionOverview> overview;
    std::unique_ptr<SessionListModel> list, undated;
    std::unique_ptr<SessionDayModel> days;
    longest = Seconds([&] {
        overview = std::make_unique<SessionOverview>(Scope(), Database().connectionString(), 30, QString());
        list = std::make_unique<SessionListModel>(*overview, SessionListModel::Part::Dated);
        undated = std::make_unique<SessionListModel>(*overview, SessionListModel::Part::Undated);
        days = std::make_unique<SessionDayModel>(*overview);
        overview->read();
    });
    if (worst != nullptr) {
        while (overview->state() == SessionOverview::State::Reading)
            longest = std::max(longest, Seconds([] { QCoreApplication::processEvents(); }));
    } else {
        // Waiting as the program does, without taking a core from the reading.
        QEventLoop wait;
        QObject::connect(overview.get(), &SessionOverview::stateChanged, &wait, [&] {
            if (overview->state() != SessionOverview::State::Reading)
                wait.quit();
        });
        if (overview->state() == SessionOverview::State::Reading)
            wait.exec();
    }
    if (overview->state() != SessionOverview::State::Ready)
        qFatal("%s", qPrintable(overview->errorText()));
    if (worst != nullptr)
        *worst = longest;
    return static_cast<std::size_t>(list->rowCount() + days->rowCount());
}

void BM_OverviewOpen(benchmark::State& state) {
    benchsupport::LargeSessionDatabase& database = Database();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(database.file()).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray body = benchsupport::ProcedureBody(QStringLiteral("GetRatingTable")).toUtf8();
    const std::size_t shown = OpenOverview(nullptr);
    BareLoop(db, body);

    std::vector<double> opens;
    std::vector<double> bare;
    std::vector<double> bareFresh;
    for (auto _ : state) {
        opens.push_back(Seconds([&] { benchmark::DoNotOptimize(OpenOverview(nullptr)); }));
        state.PauseTiming();
        bare.push_back(Seconds([&] { BareLoop(db, body); }));
        // The same with a database connection of its own, opened first, as the overview's reader
        // opens one.
        bareFresh.push_back(Seconds([&] {
            sqlite3* fresh = nullptr;
            sqlite3_open_v2(QFile::encodeName(database.file()).constData(), &fresh, SQLITE_OPEN_READONLY,
                            nullptr);
            BareLoop(fresh, body);
            sqlite3_close(fresh);
        }));
        state.ResumeTiming();
    }
    state.counters["rows_shown"] = static_cast<double>(shown);
    state.counters["open_ms"] = Median(opens) * 1000;
    state.counters["bare_ms"] = Median(bare) * 1000;
    state.counters["ratio"] = Median(opens) / Median(bare);
    state.counters["ratio_fresh_connection"] = Median(opens) / Median(bareFresh);
    sqlite3_close(db);
}
BENCHMARK(BM_OverviewOpen)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_OverviewGuiBusy(benchmark::State& state) {
    Database();
    std::vector<double> longest;
    for (auto _ : state) {
        double worst = 0;
        OpenOverview(&worst);
        longest.push_back(worst);
    }
    state.counters["gui_busy_ms_max"] = *std::max_element(longest.begin(), longest.end()) * 1000;
    state.counters["gui_busy_ms_median"] = Median(longest) * 1000;
}
BENCHMARK(BM_OverviewGuiBusy)->Unit(benchmark::kMillisecond)->Iterations(10);

// The window as the main window opens it: created and shown (timed apart: the cost of any new
// window), then reading, every round of the event loop timed until the views show everything
// (their columns fitted) and have been painted.
void BM_OverviewWindowGuiBusy(benchmark::State& state) {
    Database();
    benchsupport::QuietShell shell;
    std::vector<double> longest;
    std::vector<double> shown;
    double rows = 0;
    for (auto _ : state) {
        SessionOverviewWindow* window = nullptr;
        SessionOverview* overview = nullptr;
        // The window's first appearance, empty: created, shown and painted before the reading.
        shown.push_back(Seconds([&] {
            auto owned =
                std::make_unique<SessionOverview>(Scope(), Database().connectionString(), 30, QString());
            overview = owned.get();
            window = new SessionOverviewWindow(std::move(owned), shell);
            window->show();
            for (int round = 0; round < 3; ++round)
                QCoreApplication::processEvents();
        }));
        double worst = Seconds([&] { overview->read(); });
        while (overview->state() == SessionOverview::State::Reading)
            worst = std::max(worst, Seconds([] { QCoreApplication::processEvents(); }));
        // What the end of the reading queued: the views' layout and painting.
        for (int round = 0; round < 5; ++round)
            worst = std::max(worst, Seconds([] { QCoreApplication::processEvents(); }));
        rows = window->listView()->model()->rowCount();
        longest.push_back(worst);
        delete window;
    }
    state.counters["rows_listed"] = rows;
    state.counters["first_show_ms_median"] = Median(shown) * 1000;
    state.counters["gui_busy_ms_max"] = *std::max_element(longest.begin(), longest.end()) * 1000;
    state.counters["gui_busy_ms_median"] = Median(longest) * 1000;
}
BENCHMARK(BM_OverviewWindowGuiBusy)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
