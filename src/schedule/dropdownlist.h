#pragma once

#include "grid/listmove.h"

#include <QPoint>
#include <QRect>

// The open drop-down list of a selector without its widget: which row is highlighted and which row
// stands at the top. It shows at most MaxVisibleRows lines (an empty list shows that many empty
// lines) and scrolls beyond them; until the first pick only the highlight moves.
class DropDownList {
public:
    static constexpr int MaxVisibleRows = 7;

    using Move = ListMove;

    // Opens on rowCount rows with the given row highlighted (-1: none), scrolled to show it.
    void open(int rowCount, int highlighted);

    int rowCount() const { return m_rowCount; }
    // -1 when no row is highlighted.
    int highlighted() const { return m_highlighted; }
    int topRow() const { return m_top; }
    // Lines of the list's height.
    int lineCount() const;
    bool hasScrollBar() const { return m_rowCount > MaxVisibleRows; }
    int maxTopRow() const;

    // Up/Down one row, Page Up/Down by the visible rows less one, Home/End to the ends; with no row
    // highlighted, the first such key highlights the first row (Home and End go to their ends).
    void move(Move move);
    // Highlights a row (pressing or dragging the mouse, typing), scrolled into view.
    void highlight(int row);
    void scrollTo(int topRow);
    // The row shown on a line of the list, or -1 when the line shows none.
    int rowAtLine(int line) const;

    // Where the list of the given height goes for a selector: below it, or above it when below it
    // would reach past the bottom of the screen.
    static QPoint placement(const QRect& selector, int listHeight, const QRect& screen);

private:
    void scrollToShow(int row);

    int m_rowCount = 0;
    int m_highlighted = -1;
    int m_top = 0;
};
