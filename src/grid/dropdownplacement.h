#pragma once

#include <QRect>
#include <QSize>

// Where a drop-down of the wanted size opens for a cell, both in screen coordinates, on the work
// area of the monitor that shows the cell: below the cell when it fits there, else above it when
// it fits there, else on the side with more room with its height cut to that room. It starts at the
// cell's left edge, moved left as far as it must to stay on the work area, and is narrowed to the
// work area's width when it is wider.
QRect PlaceDropDown(const QRect& cell, const QSize& size, const QRect& workArea);
