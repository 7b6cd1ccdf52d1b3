#include "dropdownlist.h"

#include <algorithm>

void DropDownList::open(int rowCount, int highlighted) {
    m_rowCount = std::max(0, rowCount);
    m_highlighted = highlighted >= 0 && highlighted < m_rowCount ? highlighted : -1;
    m_top = 0;
    if (m_highlighted >= 0)
        scrollTo(m_highlighted);
}

int DropDownList::lineCount() const {
    return m_rowCount == 0 ? MaxVisibleRows : std::min(m_rowCount, MaxVisibleRows);
}

int DropDownList::maxTopRow() const {
    return std::max(0, m_rowCount - MaxVisibleRows);
}

void DropDownList::move(Move move) {
    if (m_rowCount == 0)
        return;
    highlight(MovedListRow(m_highlighted, m_rowCount, std::max(1, lineCount() - 1), move));
}

void DropDownList::highlight(int row) {
    if (row < 0 || row >= m_rowCount)
        return;
    m_highlighted = row;
    scrollToShow(row);
}

void DropDownList::scrollTo(int topRow) {
    m_top = std::clamp(topRow, 0, maxTopRow());
}

void DropDownList::scrollToShow(int row) {
    if (row < m_top)
        scrollTo(row);
    else if (row >= m_top + MaxVisibleRows)
        scrollTo(row - MaxVisibleRows + 1);
}

int DropDownList::rowAtLine(int line) const {
    if (line < 0 || line >= lineCount())
        return -1;
    const int row = m_top + line;
    return row < m_rowCount ? row : -1;
}

QPoint DropDownList::placement(const QRect& selector, int listHeight, const QRect& screen) {
    const int below = selector.y() + selector.height();
    if (below + listHeight > screen.y() + screen.height())
        return {selector.x(), selector.y() - listHeight};
    return {selector.x(), below};
}
