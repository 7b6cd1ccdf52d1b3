// Fitting the schedule's column widths to the grid's width, and dragging a column border.
#include "fixedmeasure.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "grid/widthfitting.h"
#include "schedule/schedulecolumns.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numeric>

namespace {

// Indicator column, its line, and one line per column.
constexpr int Frame = 11 + 1 + 8;
constexpr int DesignSum = 849;
constexpr int TypeControl = 7;

class WidthFittingTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddScheduleColumns(m_grid);
        m_grid.setTextMeasure(&m_measure);
    }
    void resize(int width) { m_grid.setArea(width, 300, 17); }
    QList<int> widths() const {
        QList<int> list;
        for (const TGridColumn* column : m_grid.columns())
            list.append(column->width());
        return list;
    }
    int sum() const {
        const QList<int> list = widths();
        return std::accumulate(list.begin(), list.end(), 0);
    }

    FixedMeasure m_measure;
    GridModel m_grid;
};

TEST_F(WidthFittingTest, FillsTheGridExactlyWithTheRemainderOnTypeControl) {
    const struct {
        int gridWidth;
        QList<int> widths;
    } cases[] = {
        {869, {107, 134, 158, 88, 82, 96, 76, 108}},      {866, {107, 134, 157, 88, 82, 96, 76, 106}},
        {500, {60, 76, 89, 50, 46, 54, 43, 62}},          {1000, {124, 155, 182, 102, 95, 111, 88, 123}},
        {1200, {149, 186, 220, 122, 114, 133, 106, 150}},
    };
    for (const auto& c : cases) {
        resize(c.gridWidth);
        EXPECT_EQ(widths(), c.widths) << c.gridWidth;
        EXPECT_EQ(sum() + Frame, c.gridWidth);
    }
}

TEST_F(WidthFittingTest, EveryWidthIsProportionalAndOnlyTypeControlTakesTheRounding) {
    for (int gridWidth = 21; gridWidth <= 2500; gridWidth += 13) {
        resize(gridWidth);
        const int available = gridWidth - Frame;
        ASSERT_EQ(sum(), available) << gridWidth;
        for (int i = 0; i < TypeControl; ++i) {
            const TGridColumn* column = m_grid.column(i);
            EXPECT_EQ(column->width(), std::floor(column->baseWidth() * double(available) / DesignSum + 0.5))
                << gridWidth << " column " << i;
        }
        EXPECT_NEAR(m_grid.column(TypeControl)->width(), 108.0 * available / DesignSum, 4.0) << gridWidth;
    }
}

TEST_F(WidthFittingTest, WideningWidensEveryColumn) {
    resize(700);
    const QList<int> before = widths();
    resize(760);
    const QList<int> after = widths();
    for (int i = 0; i < TypeControl; ++i)
        EXPECT_GT(after[i], before[i]) << i;
    EXPECT_EQ(sum(), 760 - Frame);
}

TEST_F(WidthFittingTest, NarrowGridGivesNoNegativeWidth) {
    for (int gridWidth : {0, 5, 20, 21, 25}) {
        resize(gridWidth);
        for (int width : widths())
            EXPECT_GE(width, 0) << gridWidth;
    }
}

TEST_F(WidthFittingTest, BoundedColumnIsPinnedAndTheOthersShareTheRest) {
    m_grid.column(0)->setMaxWidth(60);
    m_grid.column(TypeControl)->setMinWidth(200);
    resize(1000);
    EXPECT_EQ(m_grid.column(0)->width(), 60);
    EXPECT_TRUE(m_grid.column(0)->widthPinned());
    EXPECT_EQ(m_grid.column(TypeControl)->width(), 200);
    EXPECT_TRUE(m_grid.column(TypeControl)->widthPinned());
    EXPECT_EQ(sum(), 1000 - Frame);
    // The free columns share what the pinned ones leave; the rightmost free one takes the rounding.
    const int shared = 1000 - Frame - 260;
    const int baseSum = DesignSum - 107 - 108;
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(m_grid.column(i)->width(),
                  std::floor(m_grid.column(i)->baseWidth() * double(shared) / baseSum + 0.5));
    EXPECT_FALSE(m_grid.column(6)->widthPinned());
}

TEST_F(WidthFittingTest, ColumnOutsideTheFittingKeepsItsWidth) {
    m_grid.column(2)->setFitColWidth(false);
    m_grid.column(2)->setWidth(158);
    resize(1200);
    EXPECT_EQ(m_grid.column(2)->width(), 158);
    EXPECT_EQ(sum(), 1200 - Frame);
}

TEST_F(WidthFittingTest, WithoutBaseWidthsTheWidthsStay) {
    resize(866);
    const QList<int> before = widths();
    for (TGridColumn* column : m_grid.columns())
        column->setBaseWidth(0);
    resize(1200);
    EXPECT_EQ(widths(), before);
}

TEST_F(WidthFittingTest, DraggingKafedraRightTradesWidthWithTheExaminerOnly) {
    resize(866);
    const QList<int> before = widths();
    m_grid.resizeColumn(1, before[1] + 30);
    const QList<int> after = widths();
    EXPECT_EQ(m_grid.column(1)->baseWidth(), 164);
    EXPECT_EQ(m_grid.column(2)->baseWidth(), 128);
    EXPECT_NEAR(after[1], before[1] + 30, 1);
    EXPECT_NEAR(after[2], before[2] - 30, 1);
    for (int i : {0, 3, 4, 5, 6})
        EXPECT_EQ(after[i], before[i]) << i;
    EXPECT_NEAR(after[TypeControl], before[TypeControl], 1);
    EXPECT_EQ(sum(), 866 - Frame);
    // The new shares last: the window's width changes keep the dragged proportions.
    resize(1200);
    EXPECT_GT(m_grid.column(1)->width(), m_grid.column(2)->width());
    EXPECT_EQ(sum(), 1200 - Frame);
}

TEST_F(WidthFittingTest, DraggingBordersKeepsTheTotal) {
    const struct {
        int column;
        int delta;
    } drags[] = {{1, -40}, {2, 500}, {TypeControl, 40}, {TypeControl, -90}, {0, -500}};
    resize(866);
    for (const auto& drag : drags) {
        const int width = m_grid.column(drag.column)->width();
        m_grid.resizeColumn(drag.column, width + drag.delta);
        EXPECT_EQ(sum(), 866 - Frame) << drag.column << " by " << drag.delta;
        for (const TGridColumn* column : m_grid.columns())
            EXPECT_GE(column->baseWidth(), 0);
    }
}

TEST_F(WidthFittingTest, WithoutFittingTheDraggedColumnTakesTheWidth) {
    resize(866);
    m_grid.setFitColWidths(false);
    m_grid.resizeColumn(1, 200);
    EXPECT_EQ(m_grid.column(1)->width(), 200);
    EXPECT_EQ(m_grid.column(1)->baseWidth(), 134);
}

TEST(WidthFitting, ScaledRoundsHalvesAwayFromZero) {
    const struct {
        int number, numerator, denominator, result;
    } cases[] = {{1, 1, 2, 1},         {-1, 1, 2, -1},
                 {3, 1, 2, 2},         {1, 1, 3, 0},
                 {2, 1, 3, 1},         {5, -1, 2, -3},
                 {7, 3, -2, -11},      {107, 846, 849, 107},
                 {158, 846, 849, 157}, {2000000000, 2000000000, 2000000000, 2000000000}};
    for (const auto& c : cases)
        EXPECT_EQ(WidthFitting::scaled(c.number, c.numerator, c.denominator), c.result)
            << c.number << '*' << c.numerator << '/' << c.denominator;
}

} // namespace
