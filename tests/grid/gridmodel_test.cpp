// The grid's model on the schedule of the demo database: what the cells show, the indicator and
// the highlighting, moving the current record (with posting) and the window of rows shown.
#include "data/datetimetext.h"
#include "fixedmeasure.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "support/errortext.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

class GridModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddScheduleColumns(grid);
        grid.setTextMeasure(&measure);
        grid.setDataSource(db.module.DS_RatingTable);
        grid.setArea(866, 400, 17);
    }

    DataSet& schedule() { return *db.module.ADOQ_RatingTable; }

    ScheduleDb db;
    FixedMeasure measure;
    GridModel grid;
};

// The schedule's columns as the design gives them, written out here: the data module's field each
// one shows (the type of control through its lookup field), its width, and whether the user may
// type into it.
TEST_F(GridModelTest, ScheduleColumnsAreBoundToTheirFields) {
    struct Expected {
        Field* field;
        int width;
        bool editable;
    };
    const Expected expected[] = {
        {db.module.ADOQ_RatingTableDiscipline, 107, false},
        {db.module.ADOQ_RatingTableKafedra, 134, false},
        {db.module.ADOQ_RatingTablet_fio, 158, false},
        {db.module.ADOQ_RatingTableFKontr, 88, false},
        {db.module.ADOQ_RatingTableDate_1, 82, true},
        {db.module.ADOQ_RatingTableTime_1, 96, true},
        {db.module.ADOQ_RatingTableAudience_1, 76, true},
        {db.module.ADOQ_RatingTableTypeControl, 108, true},
    };
    ASSERT_EQ(grid.columnCount(), 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        const TGridColumn* column = grid.column(i);
        EXPECT_EQ(grid.columnField(i), expected[i].field);
        EXPECT_EQ(column->baseWidth(), expected[i].width);
        EXPECT_EQ(column->readOnly(), !expected[i].editable);
        EXPECT_TRUE(column->fitColWidth());
        EXPECT_EQ(column->minWidth(), 0);
        EXPECT_EQ(column->maxWidth(), 0);
    }
    // Tab stops: the editable columns, TypeControl among them through its key field.
    db.openSchedule();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(grid.column(i)->tabStop(), expected[i].editable) << i;
}

TEST_F(GridModelTest, ClosedScheduleShowsTitlesAndNoRows) {
    EXPECT_FALSE(grid.dataActive());
    EXPECT_EQ(grid.recordCount(), 0);
    EXPECT_EQ(grid.currentRecord(), -1);
    EXPECT_EQ(grid.recordAtRow(0), -1);
    EXPECT_EQ(grid.indicatorGlyph(0), GridModel::Glyph::None);
    EXPECT_EQ(grid.cellText(0, 0), "");
    EXPECT_FALSE(grid.layout().scrollBarShown());
    EXPECT_GT(grid.layout().titleRowHeight(), 0);
}

TEST_F(GridModelTest, CellsShowTheFieldsDisplayTexts) {
    db.runElsewhere("UPDATE ControlSchedule SET Date_1 = '2023-12-27 10:40:00' WHERE id_group = 1 AND "
                    "id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = "
                    "'Архитектура вычислительных систем')");
    db.runElsewhere(
        "UPDATE ControlSchedule SET Date_1 = NULL, id_typeControl_1 = NULL WHERE id_group = 1 AND "
        "id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = 'Физика')");
    db.runElsewhere(
        "UPDATE ControlSchedule SET id_typeControl_1 = 99 WHERE id_group = 1 AND "
        "id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = 'Иностранный язык')");
    db.openSchedule();
    ASSERT_EQ(grid.recordCount(), 12);
    const QLocale locale;
    const QString withTime = DateTimeText(QDateTime(QDate(2023, 12, 27), QTime(10, 40)));
    const struct {
        int record;
        int column;
        QString text;
    } cells[] = {
        {0, 0, "Архитектура вычислительных систем"},
        {0, 4, withTime},
        {0, 5, "08:00"},
        {0, 6, "1-103"},
        {0, 7, "Тестирование"},
        {1, 4, locale.toString(QDate(2024, 1, 19), QLocale::ShortFormat)},
        {1, 7, "Устно-письменный"},
        {5, 0, "Иностранный язык"},
        {5, 7, ""},
        {9, 0, "Физика"},
        {9, 4, ""},
        {9, 7, ""},
        {10, 6, "Спортзал"},
        {11, 7, "Устный"},
    };
    for (const auto& cell : cells)
        EXPECT_EQ(grid.cellText(cell.record, cell.column), cell.text) << cell.record << ',' << cell.column;
    EXPECT_FALSE(grid.cellText(0, 1).isEmpty());
    EXPECT_FALSE(grid.cellText(0, 2).isEmpty());
    EXPECT_FALSE(grid.cellText(0, 3).isEmpty());
    EXPECT_EQ(grid.cellText(12, 0), "");
    EXPECT_EQ(grid.cellText(-1, 0), "");
    // Reading cells leaves the current record alone.
    EXPECT_EQ(schedule().recNo(), 1);
    grid.moveBy(5);
    EXPECT_EQ(grid.displayText(0), "Иностранный язык");
}

TEST_F(GridModelTest, IndicatorShowsTheArrowInBrowseAndTheEditMarkInEdit) {
    db.openSchedule();
    grid.moveBy(2);
    EXPECT_EQ(grid.indicatorGlyph(2), GridModel::Glyph::Arrow);
    EXPECT_EQ(grid.indicatorGlyph(1), GridModel::Glyph::None);
    EXPECT_EQ(grid.indicatorGlyph(3), GridModel::Glyph::None);
    int changes = 0;
    QObject::connect(&grid, &GridModel::changed, [&] { ++changes; });
    schedule().edit();
    EXPECT_GT(changes, 0);
    EXPECT_EQ(grid.indicatorGlyph(2), GridModel::Glyph::Edit);
    db.module.ADOQ_RatingTableAudience_1->setAsString("2-202");
    EXPECT_EQ(grid.cellText(2, 6), "2-202");
    schedule().cancel();
    EXPECT_EQ(grid.indicatorGlyph(2), GridModel::Glyph::Arrow);
    EXPECT_NE(grid.cellText(2, 6), "2-202");
    schedule().close();
    EXPECT_EQ(grid.indicatorGlyph(2), GridModel::Glyph::None);
}

TEST_F(GridModelTest, CurrentRowIsHighlightedAndTheCurrentCellOnlyWithFocus) {
    db.openSchedule();
    grid.moveBy(3);
    grid.setCurrentColumn(5);
    using H = GridModel::Highlight;
    const struct {
        int record;
        int column;
        bool focused;
        H highlight;
    } cases[] = {
        {3, 0, false, H::Row},    {3, 0, true, H::Row},  {3, 7, false, H::Row}, {3, 5, false, H::None},
        {3, 5, true, H::Current}, {2, 5, true, H::None}, {4, 0, true, H::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(grid.cellHighlight(c.record, c.column, c.focused), c.highlight)
            << c.record << ',' << c.column << ',' << c.focused;
    grid.setOptionsEx(grid.layout().optionsEx() & ~GridOptionsEx(dgxRowHighlight | dgxHighlightFocus));
    EXPECT_EQ(grid.cellHighlight(3, 0, true), H::None);
    EXPECT_EQ(grid.cellHighlight(3, 5, true), H::None);
}

TEST_F(GridModelTest, MovingToAnotherRecordPostsTheEditedOne) {
    db.openSchedule();
    const QVariant key = db.key(0);
    schedule().edit();
    EXPECT_TRUE(db.saveEnabled);
    db.module.ADOQ_RatingTableTime_1->setAsString("16:20");
    grid.moveBy(1);
    EXPECT_EQ(grid.currentRecord(), 1);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_FALSE(db.saveEnabled);
    EXPECT_EQ(grid.cellText(0, 5), "16:20");
    Query stored("", db.module.ADOCon);
    stored.setSql({"SELECT Time_1 FROM ControlSchedule WHERE id_schedule = " + key.toString()});
    stored.open();
    EXPECT_EQ(stored.field(0)->asString(), "16:20");
}

TEST_F(GridModelTest, FailedPostKeepsTheRecordCurrentAndInEdit) {
    db.openSchedule();
    db.runElsewhere("UPDATE ControlSchedule SET Time_1 = '07:45' WHERE id_schedule = " +
                    db.key(0).toString());
    schedule().edit();
    db.module.ADOQ_RatingTableTime_1->setAsString("16:20");
    EXPECT_EQ(ErrorText([&] { grid.moveBy(1); }),
              "Строка не сохранена: после того как она была прочитана, её изменил или удалил другой "
              "пользователь. Введённые значения остались в строке.");
    EXPECT_EQ(grid.currentRecord(), 0);
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(grid.cellText(0, 5), "16:20");
    EXPECT_EQ(grid.indicatorGlyph(0), GridModel::Glyph::Edit);
    EXPECT_EQ(ErrorText([&] { grid.moveToRecord(7); }).left(20), "Строка не сохранена:");
    EXPECT_EQ(grid.currentRecord(), 0);
}

TEST_F(GridModelTest, MovesStopAtTheEndsWithTheMarks) {
    db.openSchedule();
    grid.moveBy(-1);
    EXPECT_EQ(grid.currentRecord(), 0);
    EXPECT_TRUE(schedule().bof());
    grid.moveBy(100);
    EXPECT_EQ(grid.currentRecord(), 11);
    EXPECT_TRUE(schedule().eof());
    grid.moveBy(-3);
    EXPECT_EQ(grid.currentRecord(), 8);
    EXPECT_FALSE(schedule().bof() || schedule().eof());
}

TEST_F(GridModelTest, WindowFollowsTheCurrentRecordAndJumpsShowItInTheMiddle) {
    const GridLayout& layout = grid.layout();
    // Room for five whole rows and a part of a sixth, below the title row that the columns have
    // beside the scroll bar.
    db.openSchedule();
    grid.setArea(866, 150, 17);
    grid.setArea(866, layout.dataTop() + 5 * layout.rowPitch() + 3, 17);
    ASSERT_EQ(layout.fullRowCount(), 5);
    ASSERT_EQ(layout.shownRowCount(), 6);
    EXPECT_TRUE(layout.scrollBarShown());
    EXPECT_EQ(layout.clientWidth(), 866 - 17);
    int sum = 0;
    for (const TGridColumn* column : grid.columns())
        sum += column->width();
    EXPECT_EQ(sum + 20, 866 - 17);

    EXPECT_EQ(grid.topRecord(), 0);
    grid.moveBy(4);
    EXPECT_EQ(grid.topRecord(), 0);
    grid.moveBy(2);
    EXPECT_EQ(grid.topRecord(), 2);
    EXPECT_EQ(grid.rowOfRecord(6), 4);
    grid.moveBy(-5);
    EXPECT_EQ(grid.topRecord(), 1);
    // A jump to a record out of view shows it in the middle of the five rows.
    grid.moveToRecord(9);
    EXPECT_EQ(grid.topRecord(), 7);
    EXPECT_EQ(grid.rowOfRecord(9), 2);
    // A jump within the view scrolls nothing; at the end the window stays full.
    grid.moveToRecord(8);
    EXPECT_EQ(grid.topRecord(), 7);
    grid.moveToRecord(11);
    EXPECT_EQ(grid.topRecord(), 7);
    EXPECT_EQ(grid.recordAtRow(4), 11);
    EXPECT_EQ(grid.recordAtRow(5), -1);
    // Growing the grid shows records above rather than blank rows below.
    grid.setArea(866, layout.dataTop() + 10 * layout.rowPitch(), 17);
    EXPECT_EQ(grid.topRecord(), 2);
    grid.setArea(866, 400, 17);
    EXPECT_EQ(grid.topRecord(), 0);
    EXPECT_FALSE(layout.scrollBarShown());
    EXPECT_EQ(layout.clientWidth(), 866);
}

TEST_F(GridModelTest, RestoredPositionShowsTheSameRowsWithTheSameRecordCurrent) {
    const GridLayout& layout = grid.layout();
    db.openSchedule();
    grid.setArea(866, 150, 17);
    const struct {
        int rows;
        int top;
        int current;
        int middle;
    } cases[] = {{5, 4, 7, 6}, {5, 4, 4, 6}, {6, 2, 7, 4}, {4, 0, 0, 1}, {5, 7, 11, 9}};
    for (const auto& c : cases) {
        grid.setArea(866, layout.dataTop() + c.rows * layout.rowPitch(), 17);
        ASSERT_EQ(layout.fullRowCount(), c.rows);
        // Scrolled down row by row to the window wanted, then to the record.
        grid.moveToRecord(0);
        grid.moveBy(c.top + c.rows - 1);
        grid.moveBy(c.current - (c.top + c.rows - 1));
        ASSERT_EQ(grid.topRecord(), c.top);
        const GridPosition position = grid.position();
        EXPECT_EQ(position.middleRecord, c.middle);
        EXPECT_EQ(position.distance, c.current - c.middle);
        grid.moveToRecord(c.current < 6 ? 11 : 0);
        grid.restorePosition(position);
        EXPECT_EQ(grid.currentRecord(), c.current) << c.rows << ' ' << c.current;
        EXPECT_EQ(grid.topRecord(), c.top) << c.rows << ' ' << c.current;
    }
    // Fewer records than rows: the middle of the records shown.
    grid.setArea(866, 600, 17);
    grid.moveToRecord(3);
    EXPECT_EQ(grid.position().middleRecord, 5);
    EXPECT_EQ(grid.position().distance, -2);
}

TEST_F(GridModelTest, OpeningAndClosingRunALayoutPassAndKeepTheBaseWidths) {
    db.openSchedule();
    grid.resizeColumn(1, grid.column(1)->width() + 30);
    const int kafedra = grid.column(1)->baseWidth();
    const int passes = grid.layoutPassCount();
    schedule().close();
    EXPECT_EQ(grid.layoutPassCount(), passes + 1);
    db.openSchedule(2);
    EXPECT_EQ(grid.layoutPassCount(), passes + 2);
    EXPECT_EQ(grid.column(1)->baseWidth(), kafedra);
    EXPECT_EQ(grid.currentRecord(), 0);
    EXPECT_EQ(grid.topRecord(), 0);
}

} // namespace
