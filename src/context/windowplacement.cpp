#include "windowplacement.h"

#include <algorithm>

QPoint CentredWindowPosition(const QRect& area, const QSize& outerSize) {
    const int spareWidth = std::max(0, area.width() - outerSize.width());
    const int spareHeight = std::max(0, area.height() - outerSize.height());
    return area.topLeft() + QPoint(spareWidth / 2, spareHeight / 2);
}

QSize WindowOuterSize(const QSize& clientSize, const QMargins& frame, const QSize& designedOuterSize) {
    return frame.isNull() ? designedOuterSize : clientSize.grownBy(frame);
}

QPoint MainWindowPosition(const DesktopGeometry& desktop, const QSize& outerSize) {
    return CentredWindowPosition(desktop.whole, outerSize);
}
