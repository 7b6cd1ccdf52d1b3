#include "gridlayout.h"

#include "textmeasure.h"
#include "tgridcolumn.h"
#include "widthfitting.h"

#include <algorithm>
#include <cstdlib>

namespace {

// How far from a column border, in pixels, the mouse may be to drag it.
constexpr int SizingTolerance = 2;

} // namespace

void GridLayout::setArea(int width, int height) {
    m_areaWidth = std::max(width, 0);
    m_areaHeight = std::max(height, 0);
}

int GridLayout::dataTop() const {
    return m_options.testFlag(dgTitles) ? m_titleRowHeight + rowLineWidth() : 0;
}

int GridLayout::fullRowCount() const {
    const int room = clientHeight() - dataTop();
    return room >= m_rowHeight && rowPitch() > 0 ? (room - m_rowHeight) / rowPitch() + 1 : 0;
}

int GridLayout::shownRowCount() const {
    const int room = clientHeight() - dataTop();
    return room > 0 && rowPitch() > 0 ? (room + rowPitch() - 1) / rowPitch() : 0;
}

bool GridLayout::needsScrollBar(int recordCount) const {
    return recordCount > fullRowCount();
}

void GridLayout::run(const QList<TGridColumn*>& columns, const TextMeasure& measure, int recordCount) {
    m_columns = columns;
    QList<TGridColumn*> visible;
    for (TGridColumn* column : columns)
        if (column->visible())
            visible.append(column);
    m_rowHeight = measure.dataTextHeight(QStringLiteral("Wg")) + 3 + rowLineWidth();
    bool scrollBar = needsScrollBar(recordCount);
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_scrollBarShown = scrollBar;
        m_clientWidth = std::max(m_areaWidth - (scrollBar ? m_scrollBarExtent : 0), 0);
        if (m_fitColWidths)
            WidthFitting::fit(visible, m_clientWidth, m_minFitWidth, indicatorWidth(),
                              m_options.testFlag(dgColLines));
        m_titles.build(columns, m_multiTitle, columnLineWidth());
        const int titleHeight = m_titles.computeHeights(measure, m_titleMarginV);
        m_titleRowHeight = m_options.testFlag(dgTitles)
                               ? std::max(titleHeight - (m_optionsEx.testFlag(dgxFixed3D) ? 1 : 3), 0)
                               : 0;
        const bool needed = needsScrollBar(recordCount);
        if (needed == scrollBar)
            break;
        // A scroll bar that the narrower columns' taller titles call for again stays.
        scrollBar = attempt == 0 ? needed : true;
    }
    placeColumns();
}

void GridLayout::placeColumns() {
    m_lefts.assign(static_cast<size_t>(m_columns.size()), -1);
    int x = indicatorWidth() + (indicatorWidth() > 0 ? columnLineWidth() : 0);
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (!m_columns[i]->visible())
            continue;
        m_lefts[static_cast<size_t>(i)] = x;
        x += m_columns[i]->width() + columnLineWidth();
    }
    m_columnsRight = x;
}

int GridLayout::columnLeft(int column) const {
    return column >= 0 && column < static_cast<int>(m_lefts.size()) ? m_lefts[static_cast<size_t>(column)]
                                                                    : -1;
}

QList<TitleCell> GridLayout::titleCells() const {
    QList<TitleCell> cells;
    if (m_options.testFlag(dgTitles))
        addTitleCells(m_titles.root(), cells);
    return cells;
}

void GridLayout::addTitleCells(const TTitleNode& node, QList<TitleCell>& cells) const {
    for (int i = 0; i < node.childCount(); ++i) {
        const TTitleNode& child = *node.child(i);
        const TTitleNode* first = &child;
        while (first->hasChildren())
            first = first->child(0);
        const int left = columnLeft(first->columnIndex());
        if (left >= 0 && child.width() > 0) {
            // The title row's cell bottom; every leaf reaches down to it.
            const int bottom = m_titleRowHeight;
            const int below = TitleTree::childrenHeight(child);
            const int bandTop = bottom - child.height() - below;
            const int bandBottom = bottom - below;
            // Under a merged cell the first row of the band carries the merged cell's line.
            const int top = std::max(bandTop + (node.parent() ? rowLineWidth() : 0), 0);
            TitleCell cell;
            cell.node = &child;
            cell.merged = child.hasChildren();
            cell.rect = QRect(left, top, child.width(), std::max(bandBottom - top, 0));
            const int textTop = cell.merged ? top : std::max(bandTop + 3, 0);
            cell.textRect =
                QRect(left + 2, textTop, std::max(child.width() - 4, 0), std::max(bottom - textTop, 0));
            if (cell.merged)
                cell.textRect.setBottom(bandBottom - 1);
            cells.append(cell);
        }
        addTitleCells(child, cells);
    }
}

GridHit GridLayout::hitTest(int x, int y) const {
    GridHit hit;
    if (x < 0 || y < 0 || x >= m_clientWidth || y >= clientHeight())
        return hit;
    if (y < dataTop()) {
        hit.area = GridHit::Title;
    } else {
        hit.row = (y - dataTop()) / rowPitch();
        hit.area = GridHit::Cell;
    }
    if (x < indicatorWidth() + (indicatorWidth() > 0 ? columnLineWidth() : 0)) {
        if (hit.area == GridHit::Cell)
            hit.area = GridHit::Indicator;
        return hit;
    }
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const int left = m_lefts[static_cast<size_t>(i)];
        if (left >= 0 && x >= left && x < left + m_columns[i]->width() + columnLineWidth()) {
            hit.column = static_cast<int>(i);
            return hit;
        }
    }
    if (hit.area == GridHit::Cell)
        hit.area = GridHit::Nowhere;
    return hit;
}

int GridLayout::sizingColumnAt(int x, int y) const {
    if (!m_options.testFlag(dgColumnResize) || !m_options.testFlag(dgTitles) || y < 0 || y >= dataTop())
        return -1;
    int found = -1;
    int distance = SizingTolerance + 1;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const int left = m_lefts[static_cast<size_t>(i)];
        if (left < 0)
            continue;
        // The border is the column's line; the rightmost of equally near borders wins, so that a
        // column squeezed to nothing can be widened again.
        const int d = std::abs(x - (left + m_columns[i]->width()));
        if (d <= distance) {
            distance = d;
            found = static_cast<int>(i);
        }
    }
    return distance <= SizingTolerance ? found : -1;
}
