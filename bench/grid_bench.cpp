// The grid's hot paths: one layout pass (width fitting and the title tree) over the schedule's
// eight columns; painting one screen of a 100,000-row schedule against one screen of a 20-row
// schedule (goal: ratio at most 1.2); opening the 100,000-row schedule into the grid against
// opening it with no grid attached (goal: ratio at most 1.2); Find next over the 100,000-row
// schedule in every column for a text of the last row only, against a plain loop that upper-cases
// and searches the same display texts (goal: ratio at most 1.5). Offscreen platform.
#include "app/application.h"
#include "benchsupport.h"
#include "data/embedded/databasebuilder.h"
#include "data/field.h"
#include "datamodule/tdm_mb.h"
#include "grid/gridfind.h"
#include "grid/schedulecolumns.h"
#include "grid/widgets/tdbgrid.h"

#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <memory>
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

void BM_FindNext(benchmark::State& state) {
    auto module = Module(LargeRows);
    DataSet& schedule = *module->ADOQ_RatingTable;
    schedule.open();
    // A room that only the last record has.
    const QVariant lastKey = schedule.cellAt(schedule.recordCount() - 1, schedule.columnIndex("id_schedule"));
    module->ADOCon->execute(QString::fromUtf8("UPDATE ControlSchedule SET Audience_1 = 'Ауд-ПОИСК' "
                                              "WHERE id_schedule = ") +
                            lastKey.toString());
    schedule.close();
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

    // The same cells, read and compared in a loop that knows neither grid nor dataset moves.
    std::vector<const Field*> fields;
    for (int column = 0; column < model.columnCount(); ++column)
        fields.push_back(model.columnField(column));
    const auto plainLoop = [&] {
        const QLocale locale;
        const QString wanted = locale.toUpper(text);
        for (int record = 0; record < schedule.recordCount(); ++record)
            for (const Field* field : fields)
                if (locale.toUpper(GridModel::fieldDisplayText(*field, record)).contains(wanted))
                    return record;
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
    state.counters["find_ms"] = Median(findTimes) * 1000;
    state.counters["loop_ms"] = Median(loopTimes) * 1000;
    state.counters["ratio"] = Median(findTimes) / Median(loopTimes);
}
BENCHMARK(BM_FindNext)->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
