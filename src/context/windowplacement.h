#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a top-level window opens centred in an area of the desktop: the top-left corner of its outer
// rectangle (frame included), half the spare room from the area's top-left edge, rounded toward zero.
// A window wider or taller than the area starts at the area's left or top edge, so that its title bar
// and system menu stay within reach.
QPoint CentredWindowPosition(const QRect& area, const QSize& outerSize);

// A framed window's outer size: its client size grown by its frame, or, while the window system tells
// no frame yet (X11 before the window is mapped), the outer size the window was designed with.
QSize WindowOuterSize(const QSize& clientSize, const QMargins& frame, const QSize& designedOuterSize);

// The desktop as the window system reports it: all monitors together, and the part of them that
// panels and task bars leave to windows.
struct DesktopGeometry {
    QRect whole;
    QRect workArea;
};

// Where the main window opens: the top-left corner of its outer rectangle, centred on the whole
// desktop, panels and task bars included.
QPoint MainWindowPosition(const DesktopGeometry& desktop, const QSize& outerSize);
