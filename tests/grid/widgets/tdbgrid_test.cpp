// The grid widget over the demo schedule on the offscreen platform: fitted columns, two-level
// titles, colours, the indicator, mouse selection, border dragging and scrolling.
#include "grid/tgridcolumn.h"
#include "grid/widgets/inplaceedit.h"
#include "grid/widgets/tdbgrid.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "support/showntext.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// Pixels are compared as 8-bit RGB values.
const QRgb Silver = qRgb(192, 192, 192);
const QRgb Black = qRgb(0, 0, 0);
// The indicator column, its line and the eight column lines.
constexpr int Frame = 20;

class TDBGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddScheduleColumns(grid.model());
        grid.setDataSource(db.module.DS_RatingTable);
        grid.setObjectName("DBGrid1");
        grid.resize(870, 242);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    const GridLayout& layout() const { return grid.model().layout(); }
    int widthSum() const {
        int sum = 0;
        for (const TGridColumn* column : grid.model().columns())
            sum += column->width();
        return sum;
    }
    // The grid's client area as painted.
    QImage picture() { return grid.viewport()->grab().toImage(); }
    QRgb at(const QImage& image, int x, int y) const { return image.pixel(x, y) | 0xff000000u; }
    // A point inside a cell that its text does not reach: its bottom right corner.
    QPoint blank(int row, int column) const {
        return grid.cellRect(row, column).bottomRight() - QPoint(1, 1);
    }

    ScheduleDb db;
    TDBGrid grid;
};

TEST_F(TDBGridTest, ColumnsFillTheClientWidthAtEverySizeWithoutAHorizontalScrollBar) {
    for (const QSize size : {QSize(870, 242), QSize(600, 242), QSize(1200, 400), QSize(870, 120)}) {
        grid.resize(size);
        if (size.height() == 120)
            db.openSchedule();
        EXPECT_EQ(grid.viewport()->width(), layout().clientWidth()) << size.width();
        EXPECT_EQ(widthSum() + Frame, layout().clientWidth()) << size.width();
        EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
    }
    // Twelve rows do not fit into 120 pixels: the scroll bar takes its width from the columns.
    EXPECT_TRUE(grid.verticalScrollBar()->isVisible());
    EXPECT_EQ(layout().clientWidth(), grid.contentsRect().width() - grid.verticalScrollBar()->width());
    grid.resize(870, 600);
    EXPECT_FALSE(grid.verticalScrollBar()->isVisible());
    EXPECT_EQ(widthSum() + Frame, grid.viewport()->width());
}

TEST_F(TDBGridTest, TitleRowGrowsWhenTheGridNarrowsAndShrinksWhenItWidens) {
    grid.resize(1200, 242);
    const int wide = layout().titleRowHeight();
    grid.resize(450, 242);
    const int narrow = layout().titleRowHeight();
    EXPECT_GT(narrow, wide);
    grid.resize(1200, 242);
    EXPECT_EQ(layout().titleRowHeight(), wide);
}

TEST_F(TDBGridTest, MergedTitleIsPaintedAcrossTheFourTestColumnsOnly) {
    db.openSchedule();
    const QImage image = picture();
    const QList<TitleCell> cells = layout().titleCells();
    const auto merged =
        std::find_if(cells.begin(), cells.end(), [](const TitleCell& cell) { return cell.merged; });
    ASSERT_NE(merged, cells.end());
    const int left = layout().columnLeft(4);
    const int right = layout().columnLeft(7) + grid.model().column(7)->width();
    EXPECT_EQ(merged->rect.left(), left);
    EXPECT_EQ(merged->rect.right() + 1, right);
    // The black line below the merged cell runs across its span and no further.
    const int lineY = merged->rect.bottom() + 1;
    for (int x = left; x <= right; ++x)
        EXPECT_EQ(at(image, x, lineY), Black) << x;
    EXPECT_EQ(at(image, left - 3, lineY), Silver);
    // Inside the merged band the lines between the four columns are not drawn; below it they are.
    const int bandY = merged->rect.top() + 2;
    for (int column = 5; column < 8; ++column) {
        const int x = layout().columnLeft(column) - 1;
        EXPECT_EQ(at(image, x, bandY), Silver) << column;
        EXPECT_EQ(at(image, x, lineY + 3), Black) << column;
    }
    // The first four titles take the whole title row: their column lines run from the top.
    for (int column = 1; column < 5; ++column)
        EXPECT_EQ(at(image, layout().columnLeft(column) - 1, bandY), Black) << column;
    // The title row's fill is silver, framed light above and dark below.
    EXPECT_EQ(at(image, layout().columnLeft(0) + 2, 2), Silver);
}

// A title word wider than its cell is centred on the cell like one that fits, and clipped at both
// edges: at 480 pixels neither "Дисциплина" nor "Аудитория" fits its column.
TEST_F(TDBGridTest, TitleWordsWiderThanTheirCellsStayCentredAndClipped) {
    grid.resize(480, 242);
    const QImage image = picture();
    const QFontMetricsF metrics(grid.titleFont());
    const QList<TitleCell> cells = layout().titleCells();
    for (const QString word : {QString::fromUtf8("Дисциплина"), QString::fromUtf8("Аудитория")}) {
        SCOPED_TRACE(word.toStdString());
        const auto cell = std::find_if(cells.begin(), cells.end(),
                                       [&](const TitleCell& c) { return c.node->text() == word; });
        ASSERT_NE(cell, cells.end());
        const QRect rect = cell->rect;
        const qreal advance = metrics.horizontalAdvance(word);
        ASSERT_GT(advance, rect.width()) << "the word does not fit its cell";
        // Inside the cell's one-pixel bevel, the columns that hold dark pixels of the text.
        const int left = rect.left() + 1;
        const int right = rect.right() - 1;
        const auto inked = [](const QImage& picture, int x, int top, int bottom) {
            for (int y = top; y <= bottom; ++y)
                if (qGray(picture.pixel(x, y)) < 128)
                    return true;
            return false;
        };
        // The word alone, its middle on the cell's middle, on a canvas clipped to the same columns.
        QImage expected(image.width(), 60, QImage::Format_RGB32);
        expected.fill(Silver);
        {
            QPainter painter(&expected);
            painter.setFont(grid.titleFont());
            painter.setPen(Qt::black);
            painter.setClipRect(QRect(left, 0, right - left + 1, expected.height()));
            painter.drawText(QPointF(rect.left() + rect.width() / 2.0 - advance / 2, 40), word);
        }
        const auto painted = [&](int x) { return inked(image, x, rect.top() + 1, rect.bottom() - 1); };
        const auto wanted = [&](int x) { return inked(expected, x, 0, expected.height() - 1); };
        // Columns that differ, with the expected word moved by a pixel of rounding either way.
        int differing = right - left + 1;
        for (int shift = -1; shift <= 1; ++shift) {
            int count = 0;
            for (int x = left + 1; x < right; ++x)
                count += painted(x) != wanted(x + shift) ? 1 : 0;
            differing = std::min(differing, count);
        }
        int shown = 0;
        for (int x = left; x <= right; ++x)
            shown += painted(x) ? 1 : 0;
        EXPECT_GT(shown, (right - left) / 2) << "the text is painted";
        EXPECT_LE(differing, 2) << "the painted columns are those of the centred word";
    }
}

TEST_F(TDBGridTest, CurrentRowIsLightenedAndTheCurrentCellShadedWhileFocused) {
    db.openSchedule();
    // Without editing there is no cell editor, and the grid itself keeps the focus.
    grid.model().setOptions(grid.model().layout().options() & ~GridOptions(dgEditing));
    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.hasFocus(); }));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(2, 5).center());
    ASSERT_EQ(grid.model().currentRecord(), 2);
    ASSERT_EQ(grid.model().currentColumn(), 5);
    // A white cell under a button shadow of grey 128 lightens to grey 212: halfway to the shadow
    // (191.5), then six tenths of the way on to 225.
    QPalette colours = grid.palette();
    colours.setColor(QPalette::Dark, QColor(128, 128, 128));
    grid.setPalette(colours);
    grid.setColor(Qt::white);
    EXPECT_EQ(grid.rowHighlightColor(), QColor(212, 212, 212));
    const QRgb white = qRgb(255, 255, 255);
    const QRgb shadow = qRgb(128, 128, 128);
    const QRgb lightened = qRgb(212, 212, 212);
    QImage image = picture();
    for (int column : {0, 3, 4, 6, 7})
        EXPECT_EQ(at(image, blank(2, column).x(), blank(2, column).y()), lightened) << column;
    EXPECT_EQ(at(image, blank(2, 5).x(), blank(2, 5).y()), shadow);
    EXPECT_EQ(at(image, blank(1, 5).x(), blank(1, 5).y()), white);
    EXPECT_EQ(at(image, blank(3, 0).x(), blank(3, 0).y()), white);
    // Lines between data cells are silver.
    EXPECT_EQ(at(image, grid.cellRect(1, 2).left() - 1, grid.cellRect(1, 2).center().y()), Silver);
    EXPECT_EQ(at(image, grid.cellRect(1, 2).center().x(), grid.cellRect(1, 2).bottom() + 1), Silver);

    grid.clearFocus();
    image = picture();
    EXPECT_EQ(at(image, blank(2, 0).x(), blank(2, 0).y()), lightened);
    EXPECT_EQ(at(image, blank(2, 5).x(), blank(2, 5).y()), white);

    // With editing the editor covers the current cell in the cell colour, focused or not.
    grid.model().setOptions(grid.model().layout().options() | dgEditing);
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid.inplaceEditor()->hasFocus(); }));
    image = grid.grab().toImage();
    const QPoint corner = grid.viewport()->mapTo(&grid, blank(2, 5) - QPoint(20, 0));
    EXPECT_EQ(at(image, corner.x(), corner.y()), white);
    const QPoint beside = grid.viewport()->mapTo(&grid, blank(2, 6));
    EXPECT_EQ(at(image, beside.x(), beside.y()), lightened);
}

// A cell's tooltip shows its text as it is, line breaks included, whatever markup it seems to hold.
TEST_F(TDBGridTest, CellToolTipsShowTheirTextAsItIs) {
    struct EveryCell : CellDecoration {
        QString text;
        CellMark cellMark(int, const QString&) const override { return CellMark{QColor(), QColor(), text}; }
    } decoration;
    grid.setCellDecoration(&decoration);
    db.openSchedule();
    const QPoint at = grid.cellRect(1, 6).center();
    for (const QString& text : MarkupLikeTexts) {
        SCOPED_TRACE(text.toStdString());
        decoration.text = text;
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid.viewport(), &help);
        ASSERT_TRUE(QToolTip::isVisible());
        QLabel* shown = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible())
                shown = qobject_cast<QLabel*>(widget);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(ShownText(*shown), text);
    }
    QToolTip::hideText();
    grid.setCellDecoration(nullptr);
}

TEST_F(TDBGridTest, IndicatorShowsTheArrowThenTheEditMarkOnTheCurrentRowOnly) {
    // The glyphs are 6 × 11, 2 pixels from the right edge of the 11-pixel column, centred.
    const auto glyphTop = [&](int row) { return layout().rowTop(row) + (layout().rowHeight() - 11) / 2; };
    EXPECT_EQ(at(picture(), 3, glyphTop(0) + 5), grid.color().rgb()) << "closed: no rows";
    db.openSchedule();
    grid.model().moveBy(1);
    QImage image = picture();
    // The arrow's widest row reaches the glyph's left edge.
    EXPECT_EQ(at(image, 3, glyphTop(1) + 5), Black);
    EXPECT_EQ(at(image, 8, glyphTop(1) + 5), Black);
    EXPECT_NE(at(image, 3, glyphTop(0) + 5), Black);
    EXPECT_NE(at(image, 3, glyphTop(2) + 5), Black);
    db.module.ADOQ_RatingTable->edit();
    image = picture();
    // The I-beam: a bar in the glyph's third and fourth columns, serifs across the top.
    EXPECT_NE(at(image, 3, glyphTop(1) + 5), Black);
    EXPECT_EQ(at(image, 5, glyphTop(1) + 5), Black);
    EXPECT_EQ(at(image, 6, glyphTop(1) + 5), Black);
    EXPECT_EQ(at(image, 3, glyphTop(1)), Black);
    db.module.ADOQ_RatingTable->cancel();
    EXPECT_EQ(at(picture(), 3, glyphTop(1) + 5), Black);
}

TEST_F(TDBGridTest, ClickMakesACellCurrentAndPostsTheRowItLeaves) {
    db.openSchedule();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(3, 6).center());
    EXPECT_EQ(grid.model().currentRecord(), 3);
    EXPECT_EQ(grid.model().currentColumn(), 6);
    db.module.ADOQ_RatingTable->edit();
    db.module.ADOQ_RatingTableAudience_1->setAsString("3-303");
    EXPECT_TRUE(db.saveEnabled);
    // The indicator cell of another row moves the row and keeps the column.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(5, grid.cellRect(1, 0).center().y()));
    EXPECT_EQ(grid.model().currentRecord(), 1);
    EXPECT_EQ(grid.model().currentColumn(), 6);
    EXPECT_EQ(db.module.ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_FALSE(db.saveEnabled);
    EXPECT_EQ(grid.model().cellText(3, 6), "3-303");
    // Titles and the blank area below the rows select nothing.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(grid.cellRect(0, 2).center().x(), 5));
    grid.resize(870, 600);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(14, 2).center());
    EXPECT_EQ(grid.model().currentRecord(), 1);
    EXPECT_EQ(grid.model().currentColumn(), 6);
}

TEST_F(TDBGridTest, DraggingTheBorderBetweenKafedraAndTheExaminer) {
    db.openSchedule();
    QList<int> before;
    for (const TGridColumn* column : grid.model().columns())
        before.append(column->width());
    const int border = layout().columnLeft(1) + before[1];
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(border, 8));
    QTest::mouseMove(grid.viewport(), QPoint(border + 15, 8));
    QTest::mouseMove(grid.viewport(), QPoint(border + 30, 8));
    EXPECT_EQ(grid.model().column(1)->width(), before[1]) << "the width follows on release";
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(border + 30, 8));
    QList<int> after;
    for (const TGridColumn* column : grid.model().columns())
        after.append(column->width());
    EXPECT_NEAR(after[1], before[1] + 30, 1);
    EXPECT_NEAR(after[2], before[2] - 30, 1);
    for (int i : {0, 3, 4, 5, 6})
        EXPECT_EQ(after[i], before[i]) << i;
    EXPECT_NEAR(after[7], before[7], 1);
    EXPECT_EQ(widthSum() + Frame, grid.viewport()->width());
    EXPECT_EQ(grid.model().currentRecord(), 0) << "a border drag selects nothing";
}

TEST_F(TDBGridTest, ScrollBarAndWheelMoveTheCurrentRecord) {
    db.openSchedule();
    grid.resize(870, 150);
    QScrollBar* bar = grid.verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 11);
    EXPECT_EQ(bar->pageStep(), layout().fullRowCount());
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QTest::qWait(1);
    QApplication::processEvents();
    EXPECT_EQ(grid.model().currentRecord(), 1);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QApplication::processEvents();
    EXPECT_EQ(grid.model().currentRecord(), 11);
    EXPECT_EQ(bar->value(), 11);
    EXPECT_EQ(grid.model().rowOfRecord(11), layout().fullRowCount() - 1);

    const QPoint inside = grid.cellRect(0, 0).center();
    QWheelEvent up(inside, grid.viewport()->mapToGlobal(inside), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid.viewport(), &up);
    EXPECT_EQ(grid.model().currentRecord(), 9);
    EXPECT_EQ(bar->value(), 9);
}

TEST_F(TDBGridTest, ClosedScheduleShowsOnlyTheTitleRow) {
    const QImage image = picture();
    const int below = layout().dataTop() + 5;
    EXPECT_EQ(at(image, 5, below), grid.color().rgb());
    EXPECT_EQ(at(image, grid.width() / 2, below), grid.color().rgb());
    EXPECT_EQ(at(image, 5, layout().titleRowHeight() / 2), Silver);
    EXPECT_FALSE(grid.verticalScrollBar()->isVisible());
}

} // namespace
