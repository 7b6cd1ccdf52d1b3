#pragma once

#include <QList>

class TGridColumn;

// Fitting the widths of the visible columns to the grid's client width in proportion to their
// base widths, and the base widths that dragging a column border leaves behind.
class WidthFitting {
public:
    // number × numerator ÷ denominator with a 64-bit intermediate, rounded to the nearest integer
    // with halves away from zero. The denominator must not be 0.
    static int scaled(int number, int numerator, int denominator);

    // The width the fitting distributes among the free columns: the client width (at least
    // minFitWidth) less the fixed sum (not below 0), less the indicator column, less the lines.
    // May be negative.
    static int availableWidth(int clientWidth, int minFitWidth, int fixedSum, int indicatorWidth,
                              int visibleColumns, bool columnLines);

    // Fits the widths of `columns` (the visible ones, in display order): pinned columns and those
    // with FitColWidth off keep their widths, the free ones share the rest by BaseWidth and the
    // rightmost free column takes the rounding remainder. indicatorWidth is 0 without an indicator.
    static void fit(const QList<TGridColumn*>& columns, int clientWidth, int minFitWidth, int indicatorWidth,
                    bool columnLines);

    // The user dragged the right border of columns[index] (visible columns, in display order) to
    // newWidth. While fitting, a fitted column's BaseWidth follows the new width and its right
    // neighbour's BaseWidth gives up the difference (not below 0), so that the next fitting trades
    // the change between the two; otherwise the column takes the width.
    static void dragBorder(const QList<TGridColumn*>& columns, int index, int newWidth, bool fitting);
};
