// The grid's hot paths: one layout pass (width fitting and the title tree) over the schedule's
// eight columns; painting one screen of a 100,000-row schedule against one screen of a 20-row
// schedule (goal: ratio at most 1.2); opening the 100,000-row schedule into the grid against
// opening it with no grid attached (goal: ratio at most 1.2); Find next over the 100,000-row
// schedule in every column for a text of the last row only, with 6, 1,000 and 10,000 control types,
// against a plain loop that reads, upper-cases and searches the same texts by code of its own (goal:
// ratio at most 1.5). Offscreen platform.
#include "app/application.h"
#include "benchshell.h"
#include "benchsupport.h"
#include "context/usershell.h"
#include "data/embedded/databasebuilder.h"
#include "data/field.h"
#include "datamodule/tdm_mb.h"
#include "grid/gridfind.h"
#include "grid/tgridcolumn.h"
#include "grid/widgets/tdbgrid.h"
#include "schedule/clashes/clashwatch.h"
#include "schedule/lookupselector.h"
#include "schedule/schedulecolumns.h"
#include "schedule/scheduleeditor.h"

#include <QFile>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using benchsupport::Median;
using benchsupport::Seconds;

constexpr int LargeRows = 100000;
constexpr int SmallRows = 20;
// The benchmark group of db/large.sql.
const QVariant Keys[] = {4, 1, 1, 1000};

// A database whose benchmark group has `rows` schedule rows.
struct GroupDatabase {
    QTemporaryDir dir;
    QString file;
    explicit GroupDatabase(int rows) {
        file = dir.filePath("group.db");
        DatabaseBuilder builder(ZOR_DB_FOLDER);
        builder.build(file, true);
        builder.addLargeGroup(file, rows);
    }
};

GroupDatabase& Database(int rows) {
    static GroupDatabase large(LargeRows);
    static GroupDatabase small(SmallRows);
    return rows == LargeRows ? large : small;
}

// The data module on a database, the benchmark group's parameters set.
std::unique_ptr<TDM_MB> Module(int rows) {
    auto module = std::make_unique<TDM_MB>();
    module->ADOCon->setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;"
                                        "Initial Catalog=\"" +
                                        Database(rows).file + "\"");
    module->ADOCon->open();
    const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (int i = 0; i < 4; ++i)
        module->ADOQ_RatingTable->findParam(names[i])->setValue(Keys[i]);
    return module;
}

// The grid at its place in the main window, with the schedule's columns.
std::unique_ptr<TDBGrid> Grid(DataSource* source) {
    auto grid = std::make_unique<TDBGrid>();
    AddScheduleColumns(grid->model());
    grid->setDataSource(source);
    grid->resize(870, 242);
    grid->show();
    QCoreApplication::processEvents();
    return grid;
}

// The title font's metrics, as the widget measures.
class FontMeasure : public TextMeasure {
public:
    FontMeasure() : m_title(QStringLiteral("MS Sans Serif")), m_data(m_title) {
        m_title.setPointSize(8);
        m_title.setBold(true);
        m_data.setPointSize(8);
    }
    int titleTextHeight(const QString& text, int width) const override {
        return QFontMetrics(m_title)
            .boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text)
            .height();
    }
    int dataTextHeight(const QString& text) const override {
        return QFontMetrics(m_data).size(Qt::TextSingleLine, text).height();
    }

private:
    QFont m_title;
    QFont m_data;
};

void BM_LayoutPass(benchmark::State& state) {
    FontMeasure measure;
    GridModel grid;
    AddScheduleColumns(grid);
    grid.setTextMeasure(&measure);
    grid.setArea(866, 238, 17);
    for (auto _ : state) {
        grid.requestLayout();
        benchmark::DoNotOptimize(grid.layout().titleRowHeight());
    }
    state.counters["title_row_px"] = grid.layout().titleRowHeight();
}
BENCHMARK(BM_LayoutPass)->Unit(benchmark::kMicrosecond);

void BM_PaintScreen(benchmark::State& state) {
    auto largeModule = Module(LargeRows);
    auto smallModule = Module(SmallRows);
    auto large = Grid(largeModule->DS_RatingTable);
    auto small = Grid(smallModule->DS_RatingTable);
    largeModule->ADOQ_RatingTable->open();
    smallModule->ADOQ_RatingTable->open();
    // The large schedule shown from its middle.
    large->model().moveToRecord(LargeRows / 2);
    small->model().moveToRecord(SmallRows / 2);
    QImage image(large->size(), QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&](TDBGrid& grid) { grid.render(&image); };
    paint(*large);
    paint(*small);
    std::vector<double> largeTimes;
    std::vector<double> smallTimes;
    for (auto _ : state) {
        largeTimes.push_back(Seconds([&] { paint(*large); }));
        state.PauseTiming();
        smallTimes.push_back(Seconds([&] { paint(*small); }));
        state.ResumeTiming();
    }
    state.counters["rows_shown"] = large->model().layout().shownRowCount();
    state.counters["large_ms"] = Median(largeTimes) * 1000;
    state.counters["small_ms"] = Median(smallTimes) * 1000;
    state.counters["ratio"] = Median(largeTimes) / Median(smallTimes);
}
BENCHMARK(BM_PaintScreen)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_OpenIntoGrid(benchmark::State& state) {
    auto module = Module(LargeRows);
    auto grid = Grid(nullptr);
    DataSet& schedule = *module->ADOQ_RatingTable;
    // Opens ADOTable1 once and warms the page cache.
    schedule.open();
    schedule.close();
    std::vector<double> withGrid;
    std::vector<double> alone;
    for (auto _ : state) {
        grid->setDataSource(module->DS_RatingTable);
        withGrid.push_back(Seconds([&] {
            schedule.open();
            // What the user sees: the grid painted once over the opened schedule.
            grid->viewport()->repaint();
        }));
        state.PauseTiming();
        schedule.close();
        grid->setDataSource(nullptr);
        alone.push_back(Seconds([&] { schedule.open(); }));
        schedule.close();
        state.ResumeTiming();
    }
    state.counters["rows"] = LargeRows;
    state.counters["grid_ms"] = Median(withGrid) * 1000;
    state.counters["open_ms"] = Median(alone) * 1000;
    state.counters["ratio"] = Median(withGrid) / Median(alone);
}
BENCHMARK(BM_OpenIntoGrid)->Unit(benchmark::kMillisecond)->Iterations(10);

// Gives the control types 1 to `types` names and spreads them over the benchmark group's rows.
void SetControlTypes(const QString& file, int types) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray count = QByteArray::number(types);
    const QByteArray sql = "DELETE FROM TypeControl WHERE id_typeControl > 6;"
                           "WITH RECURSIVE n (i) AS (SELECT 7 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                           count +
                           ") INSERT INTO TypeControl (id_typeControl, typeControl) "
                           "SELECT i, 'Вид ' || i FROM n WHERE i <= " +
                           count +
                           ";"
                           "UPDATE ControlSchedule SET id_typeControl_1 = 1 + id_schedule % " +
                           count + " WHERE id_group = 1000;";
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("%s", error);
    sqlite3_close(db);
}

// Find next over every column with `state.range(0)` control types, against a plain loop over the
// same texts read straight from the dataset's cells: dates written by the locale, the type's name
// through a table by key made from the lookup's rows.
void BM_FindNext(benchmark::State& state) {
    const int types = static_cast<int>(state.range(0));
    auto module = Module(LargeRows);
    DataSet& schedule = *module->ADOQ_RatingTable;
    schedule.open();
    // A room that only the last record has.
    const QVariant lastKey = schedule.cellAt(schedule.recordCount() - 1, schedule.columnIndex("id_schedule"));
    module->ADOCon->execute(QString::fromUtf8("UPDATE ControlSchedule SET Audience_1 = 'Ауд-ПОИСК' "
                                              "WHERE id_schedule = ") +
                            lastKey.toString());
    schedule.close();
    SetControlTypes(Database(LargeRows).file, types);
    module->ADOTable1->open();
    auto grid = Grid(module->DS_RatingTable);
    schedule.open();
    GridModel& model = grid->model();

    GridFind find;
    find.setGrid(&model);
    find.setFindIn(static_cast<int>(find.rebuildFindIn().size()) - 1);
    find.setDirection(GridFind::Direction::All);
    find.setMatch(GridFind::Match::AnyPart);
    find.setMatchCase(false);
    find.setUseFormat(true);
    const QString text = QString::fromUtf8("ауд-поиск");
    find.setText(text);

    // Where each column's text comes from in the dataset's cells; the type through its key.
    struct Source {
        int cell;
        bool date;
        bool type;
    };
    std::vector<Source> sources;
    for (int column = 0; column < model.columnCount(); ++column) {
        const QString name = model.column(column)->fieldName();
        const bool type = name == QLatin1String("TypeControl");
        const int cell = schedule.columnIndex(type ? QStringLiteral("id_typeControl_1") : name);
        sources.push_back({cell, name == QLatin1String("Date_1"), type});
    }
    const auto plainLoop = [&] {
        const QLocale locale;
        QHash<qlonglong, QString> names;
        const DataSet& list = *module->ADOTable1;
        const int keyColumn = list.columnIndex(QStringLiteral("id_typeControl"));
        const int nameColumn = list.columnIndex(QStringLiteral("typeControl"));
        for (int row = 0; row < list.recordCount(); ++row)
            names.insert(list.cellAt(row, keyColumn).toLongLong(), list.cellAt(row, nameColumn).toString());
        const QString wanted = locale.toUpper(text);
        for (int record = 0; record < schedule.recordCount(); ++record) {
            for (const Source& source : sources) {
                const QVariant& value = schedule.cellAt(record, source.cell);
                QString cell;
                if (value.isNull())
                    cell = QString();
                else if (source.type)
                    cell = names.value(value.toLongLong());
                else if (source.date)
                    cell = locale.toString(value.toDateTime().date(), QLocale::ShortFormat);
                else
                    cell = value.toString();
                if (locale.toUpper(cell).contains(wanted))
                    return record;
            }
        }
        return -1;
    };

    std::vector<double> findTimes;
    std::vector<double> loopTimes;
    int found = -1;
    int looped = -1;
    for (auto _ : state) {
        find.reset();
        findTimes.push_back(Seconds([&] { find.findNext(); }));
        found = model.currentRecord();
        state.PauseTiming();
        loopTimes.push_back(Seconds([&] { looped = plainLoop(); }));
        state.ResumeTiming();
    }
    if (found != LargeRows - 1 || looped != LargeRows - 1)
        state.SkipWithError("the text was not found in the last record");
    state.counters["rows"] = LargeRows;
    state.counters["types"] = types;
    state.counters["find_ms"] = Median(findTimes) * 1000;
    state.counters["loop_ms"] = Median(loopTimes) * 1000;
    state.counters["ratio"] = Median(findTimes) / Median(loopTimes);
}
BENCHMARK(BM_FindNext)->Unit(benchmark::kMillisecond)->Iterations(7)->Arg(6)->Arg(1000)->Arg(10000);

struct Opening {
    double seconds = 0;   // from the pick to the marks shown (with clash warnings) or the grid painted
    double busiest = 0;   // the longest round of the event loop after the schedule opened
    qint64 peakBytes = 0; // the peak resident set above what the process held before
};

// The 100,000-row group picked in the main window's way (editor, grid, and with `warnings` the clash
// watch marking the grid), until the schedule is painted and, with warnings, the pass has ended
// and the grid shows its marks.
Opening OpenGroup(bool warnings, const QString& file) {
    TDM_MB data;
    data.ADOCon->setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;"
                                     "Initial Catalog=\"" +
                                     file + "\"");
    data.ADOCon->open();
    data.ADOQ_A_Year->open();
    benchsupport::QuietShell shell;
    ScheduleEditor editor(data, shell);
    auto grid = Grid(data.DS_RatingTable);
    std::unique_ptr<ClashWatch> watch;
    bool ended = !warnings;
    if (warnings) {
        watch = std::make_unique<ClashWatch>(data, editor, QString());
        grid->setCellDecoration(watch.get());
        QObject::connect(watch.get(), &ClashWatch::marksChanged, grid->viewport(),
                         qOverload<>(&QWidget::update));
        QObject::connect(watch.get(), &ClashWatch::passEnded, [&] { ended = true; });
    }
    benchsupport::Pick(editor.year(), QStringLiteral("2026/2027"));
    benchsupport::Pick(editor.semester(), QString::fromUtf8("1-й семестр (осенний)"));
    benchsupport::Pick(editor.faculty(), QString::fromUtf8("Факультет информационных технологий"));
    Opening opening;
    const qint64 before = benchsupport::StatusBytes("VmRSS:");
    benchsupport::ResetPeak();
    opening.seconds = Seconds([&] {
        benchsupport::Pick(editor.group(), QString::fromUtf8("ИВТ-БЕНЧ"));
        grid->viewport()->repaint();
        while (!ended)
            opening.busiest = std::max(opening.busiest, Seconds([] { QCoreApplication::processEvents(); }));
        opening.busiest = std::max(opening.busiest, Seconds([&] { grid->viewport()->repaint(); }));
    });
    opening.peakBytes =
        std::max(benchsupport::StatusBytes("VmHWM:"), benchsupport::StatusBytes("VmRSS:")) - before;
    if (warnings)
        grid->setCellDecoration(nullptr);
    return opening;
}

// The option that makes this program open the group once, in a process of its own, and print the
// opening's figures on its standard output.
const char* const OpeningMode = "--child-opening";
std::string SelfPath;

// The same in a child process of its own (this program started again), so that neither opening's
// memory counts for the other.
Opening OpenGroupApart(bool warnings) {
    QProcess child;
    child.start(QString::fromStdString(SelfPath),
                {QString::fromLatin1(OpeningMode), warnings ? QStringLiteral("on") : QStringLiteral("off"),
                 Database(LargeRows).file});
    if (!child.waitForFinished(10 * 60 * 1000) || child.exitCode() != 0)
        qFatal("the opening in a child process failed");
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 3)
        qFatal("the opening in a child process gave no figures");
    return {figures[0].toDouble(), figures[1].toDouble(), figures[2].toLongLong()};
}

// Opening the 100,000-row group with clash warnings on against opening it with them off: the time
// until the grid shows it with its marks (goal: at most 1.2 times), the peak memory (goal: at most
// 1.3 times) and the longest round of the event loop after the schedule opened (goal: under 16 ms).
void BM_OpenWithClashWarnings(benchmark::State& state) {
    std::vector<double> on;
    std::vector<double> off;
    double busiest = 0;
    std::vector<double> onMemory;
    std::vector<double> offMemory;
    for (auto _ : state) {
        const Opening without = OpenGroupApart(false);
        const Opening with = OpenGroupApart(true);
        off.push_back(without.seconds);
        on.push_back(with.seconds);
        offMemory.push_back(static_cast<double>(without.peakBytes));
        onMemory.push_back(static_cast<double>(with.peakBytes));
        busiest = std::max(busiest, with.busiest);
    }
    state.counters["rows"] = LargeRows;
    state.counters["off_ms"] = Median(off) * 1000;
    state.counters["on_ms"] = Median(on) * 1000;
    state.counters["ratio"] = Median(on) / Median(off);
    state.counters["off_peak_mb"] = Median(offMemory) / 1048576.0;
    state.counters["on_peak_mb"] = Median(onMemory) / 1048576.0;
    state.counters["memory_ratio"] = Median(onMemory) / Median(offMemory);
    state.counters["gui_busy_ms_max"] = busiest * 1000;
}
BENCHMARK(BM_OpenWithClashWarnings)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    SelfPath = argv[0];
    Application app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], OpeningMode) == 0) {
        const Opening opening = OpenGroup(std::strcmp(argv[2], "on") == 0, QString::fromLocal8Bit(argv[3]));
        std::printf("%.9f %.9f %lld\n", opening.seconds, opening.busiest,
                    static_cast<long long>(opening.peakBytes));
        std::fflush(stdout);
        std::_Exit(0);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
