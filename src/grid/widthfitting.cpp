#include "widthfitting.h"

#include "tgridcolumn.h"

#include <algorithm>
#include <cstdlib>

int WidthFitting::scaled(int number, int numerator, int denominator) {
    const qint64 product = static_cast<qint64>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const qint64 magnitude = std::llabs(product);
    const qint64 divisor = std::llabs(static_cast<qint64>(denominator));
    const qint64 rounded = (2 * magnitude + divisor) / (2 * divisor);
    return static_cast<int>(negative ? -rounded : rounded);
}

int WidthFitting::availableWidth(int clientWidth, int minFitWidth, int fixedSum, int indicatorWidth,
                                 int visibleColumns, bool columnLines) {
    int available = std::max(std::max(clientWidth, minFitWidth) - fixedSum, 0);
    available -= indicatorWidth;
    if (columnLines)
        available -= visibleColumns + (indicatorWidth > 0 ? 1 : 0);
    return available;
}

void WidthFitting::fit(const QList<TGridColumn*>& columns, int clientWidth, int minFitWidth,
                       int indicatorWidth, bool columnLines) {
    const auto isFree = [](const TGridColumn* column) {
        return column->fitColWidth() && !column->widthPinned();
    };
    for (TGridColumn* column : columns)
        column->setWidthPinned(false);
    int available = 0;
    int fitted = 0;
    bool distributed = false;
    for (qsizetype round = 0; round < columns.size(); ++round) {
        int fixedSum = 0;
        int baseSum = 0;
        for (const TGridColumn* column : columns) {
            if (isFree(column))
                baseSum += column->baseWidth();
            else
                fixedSum += column->width();
        }
        available = availableWidth(clientWidth, minFitWidth, fixedSum, indicatorWidth,
                                   static_cast<int>(columns.size()), columnLines);
        // Without base widths there is nothing to share by; the columns keep their widths.
        if (baseSum == 0)
            return;
        distributed = true;
        fitted = 0;
        bool changed = false;
        for (TGridColumn* column : columns) {
            if (!isFree(column))
                continue;
            const int width = scaled(column->baseWidth(), available, baseSum);
            column->setWidth(width);
            if (column->width() != width) {
                column->setWidthPinned(true);
                changed = true;
            }
            fitted += column->width();
        }
        if (!changed)
            break;
    }
    if (!distributed || fitted == available)
        return;
    for (qsizetype i = columns.size() - 1; i >= 0; --i) {
        TGridColumn* column = columns[i];
        if (isFree(column)) {
            column->setWidth(std::max(column->width() + available - fitted, 0));
            return;
        }
    }
}

void WidthFitting::dragBorder(const QList<TGridColumn*>& columns, int index, int newWidth, bool fitting) {
    TGridColumn* column = columns[index];
    newWidth = std::max(newWidth, column->minWidth());
    if (column->maxWidth() > 0)
        newWidth = std::min(newWidth, column->maxWidth());
    if (!fitting || !column->fitColWidth()) {
        column->setWidth(newWidth);
        return;
    }
    const int oldBase = column->baseWidth();
    // A column squeezed to nothing has no proportion left to scale; its new share is the new width.
    const int newBase = column->width() > 0 ? scaled(oldBase, newWidth, column->width()) : newWidth;
    column->setBaseWidth(newBase);
    if (index + 1 < columns.size()) {
        TGridColumn* next = columns[index + 1];
        next->setBaseWidth(std::max(next->baseWidth() + oldBase - newBase, 0));
    }
}
