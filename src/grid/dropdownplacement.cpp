#include "dropdownplacement.h"

#include <algorithm>

QRect PlaceDropDown(const QRect& cell, const QSize& size, const QRect& workArea) {
    // Exclusive bottom and right edges keep the arithmetic in whole pixels.
    const int areaBottom = workArea.top() + workArea.height();
    const int areaRight = workArea.left() + workArea.width();
    const int cellBottom = cell.top() + cell.height();
    const int roomBelow = std::max(areaBottom - cellBottom, 0);
    const int roomAbove = std::max(cell.top() - workArea.top(), 0);
    int height = size.height();
    int top;
    if (height <= roomBelow) {
        top = cellBottom;
    } else if (height <= roomAbove) {
        top = cell.top() - height;
    } else if (roomBelow >= roomAbove) {
        height = roomBelow;
        top = cellBottom;
    } else {
        height = roomAbove;
        top = workArea.top();
    }
    const int width = std::min(size.width(), workArea.width());
    int left = cell.left();
    if (left + width > areaRight)
        left = areaRight - width;
    left = std::max(left, workArea.left());
    return QRect(left, top, width, height);
}
