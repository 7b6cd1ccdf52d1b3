// The layout pass over the schedule's columns: title row height, title cells, rows and hits.
#include "fixedmeasure.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "grid/ttitlenode.h"
#include "schedule/schedulecolumns.h"

#include <gtest/gtest.h>

namespace {

constexpr int Line = FixedMeasure::LineHeight;
constexpr int Margin = 10;

class GridLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddScheduleColumns(m_grid);
        m_grid.setTextMeasure(&m_measure);
    }
    const GridLayout& resize(int width, int height = 300) {
        m_grid.setArea(width, height, 17);
        return m_grid.layout();
    }

    FixedMeasure m_measure;
    GridModel m_grid;
};

TEST_F(GridLayoutTest, DataRowsAreTextHeightPlusFourAndALine) {
    const GridLayout& layout = resize(866, 300);
    EXPECT_EQ(layout.rowHeight(), Line + 3 + 1);
    EXPECT_EQ(layout.rowPitch(), Line + 3 + 1 + 1);
    EXPECT_EQ(layout.dataTop(), layout.titleRowHeight() + 1);
    const int room = 300 - layout.dataTop();
    EXPECT_EQ(layout.fullRowCount(), (room + 1) / layout.rowPitch());
    EXPECT_EQ(layout.shownRowCount(), (room + layout.rowPitch() - 1) / layout.rowPitch());
}

TEST_F(GridLayoutTest, TitleRowGrowsWhenTheGridNarrowsAndShrinksWhenItWidens) {
    // At 866 pixels every caption fits one line: the merged cell over one line of lower captions.
    EXPECT_EQ(resize(866).titleRowHeight(), 2 * (Line + Margin) - 1);
    // At 500 the merged caption, "вид контроля", "Ф.И.О. -экзаменатора" and "Форма контроля"
    // wrap into two lines.
    EXPECT_EQ(resize(500).titleRowHeight(), 2 * (2 * Line + Margin) - 1);
    int previous = 0;
    for (int width = 1600; width >= 200; width -= 50) {
        const int height = resize(width).titleRowHeight();
        EXPECT_GE(height, previous) << width;
        previous = height;
    }
    EXPECT_GT(previous, resize(500).titleRowHeight());
    EXPECT_EQ(resize(866).titleRowHeight(), 2 * (Line + Margin) - 1);
}

TEST_F(GridLayoutTest, UpperBandGrowsForASingleLevelCaptionThatWrapsMore) {
    m_grid.column(2)->setCaption(QStringLiteral("Ф.И.О. экзаменатора, его должность и учёная степень"));
    const GridLayout& layout = resize(866);
    // Three lines in 153 pixels: taller than the two bands of one line each.
    EXPECT_EQ(layout.titleRowHeight(), 3 * Line + Margin - 1);
    const TTitleNode& merged = *layout.titleTree().root().child(4);
    EXPECT_EQ(merged.child(0)->height(), Line + Margin);
    EXPECT_EQ(merged.height(), 3 * Line + Margin - (Line + Margin));
}

TEST_F(GridLayoutTest, MergedTitleCellSpansExactlyTheFourTestColumns) {
    for (int width : {866, 500, 1200}) {
        const GridLayout& layout = resize(width);
        const QList<TitleCell> cells = layout.titleCells();
        ASSERT_EQ(cells.size(), 9);
        QList<const TitleCell*> merged;
        for (const TitleCell& cell : cells)
            if (cell.merged)
                merged.append(&cell);
        ASSERT_EQ(merged.size(), 1);
        const TitleCell& cell = *merged[0];
        EXPECT_EQ(cell.node->text(), QStringLiteral("Компьютерное, бланочное тестирование"));
        EXPECT_EQ(cell.rect.left(), layout.columnLeft(4));
        EXPECT_EQ(cell.rect.right() + 1, layout.columnLeft(7) + m_grid.column(7)->width());
        EXPECT_EQ(cell.rect.top(), 0);
        for (const TitleCell& leaf : cells) {
            if (leaf.merged)
                continue;
            const int column = leaf.node->columnIndex();
            EXPECT_EQ(leaf.rect.left(), layout.columnLeft(column));
            EXPECT_EQ(leaf.rect.width(), m_grid.column(column)->width());
            EXPECT_EQ(leaf.rect.bottom() + 1, layout.titleRowHeight()) << column;
            // The first four columns' titles take the full height; the others sit below the
            // merged cell and its line.
            EXPECT_EQ(leaf.rect.top(), column < 4 ? 0 : cell.rect.bottom() + 2) << column;
            EXPECT_EQ(leaf.textRect.width(), leaf.rect.width() - 4);
        }
    }
}

TEST_F(GridLayoutTest, HitsFindCellsAndTheBorderBetweenKafedraAndTheExaminer) {
    const GridLayout& layout = resize(866);
    const int border = layout.columnLeft(1) + m_grid.column(1)->width();
    EXPECT_EQ(border + 1, layout.columnLeft(2));
    EXPECT_EQ(layout.sizingColumnAt(border, 5), 1);
    EXPECT_EQ(layout.sizingColumnAt(border - 2, 5), 1);
    EXPECT_EQ(layout.sizingColumnAt(border + 2, 5), 1);
    EXPECT_EQ(layout.sizingColumnAt(border + 4, 5), -1);
    EXPECT_EQ(layout.sizingColumnAt(border, layout.dataTop() + 3), -1);
    const int rowY = layout.rowTop(2) + 3;
    const GridHit cell = layout.hitTest(layout.columnLeft(5) + 3, rowY);
    EXPECT_EQ(cell.area, GridHit::Cell);
    EXPECT_EQ(cell.row, 2);
    EXPECT_EQ(cell.column, 5);
    const GridHit indicator = layout.hitTest(4, rowY);
    EXPECT_EQ(indicator.area, GridHit::Indicator);
    EXPECT_EQ(indicator.row, 2);
    EXPECT_EQ(layout.hitTest(layout.columnLeft(0) + 1, 2).area, GridHit::Title);
    EXPECT_EQ(layout.hitTest(865, rowY).column, 7);
    EXPECT_EQ(layout.hitTest(866, rowY).area, GridHit::Nowhere);
}

TEST_F(GridLayoutTest, UpdateLockDefersThePassAndARunningPassStartsNoOther) {
    resize(866);
    const int passes = m_grid.layoutPassCount();
    m_grid.beginUpdate();
    resize(700);
    m_grid.column(0)->setCaption(QStringLiteral("X"));
    m_grid.requestLayout();
    EXPECT_EQ(m_grid.layoutPassCount(), passes);
    m_grid.endUpdate();
    EXPECT_EQ(m_grid.layoutPassCount(), passes + 1);
    EXPECT_EQ(m_grid.layout().clientWidth(), 700);

    // A measurement that asks for another pass while one runs.
    struct Reentrant : FixedMeasure {
        GridModel* grid = nullptr;
        int titleTextHeight(const QString& text, int width) const override {
            grid->requestLayout();
            return FixedMeasure::titleTextHeight(text, width);
        }
    } reentrant;
    reentrant.grid = &m_grid;
    m_grid.setTextMeasure(&reentrant);
    EXPECT_EQ(m_grid.layoutPassCount(), passes + 2);
}

} // namespace
