// The grid's hot paths: one layout pass (width fitting and the title tree) over the schedule's
// eight columns; painting one screen of a 100,000-row schedule against one screen of a 20-row
// schedule (goal: ratio at most 1.2); opening the 100,000-row schedule into the grid against
// opening it with no grid attached (goal: ratio at most 1.2). Offscreen platform.
#include "app/application.h"
#include "data/embedded/databasebuilder.h"
#include "datamodule/tdm_mb.h"
#include "grid/schedulecolumns.h"
#include "grid/widgets/tdbgrid.h"

#include <QFontMetrics>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace {

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

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
