#include "tdbgrid.h"

#include "grid/tgridcolumn.h"
#include "grid/ttitlenode.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

// The glyphs are 6 × 11 pixels, drawn 2 pixels from the indicator column's right edge.
constexpr int GlyphWidth = 6;
constexpr int GlyphHeight = 11;
constexpr int GlyphRightMargin = 2;

void FillLine(QPainter& painter, int x, int y, int width, int height, const QColor& color) {
    if (width > 0 && height > 0)
        painter.fillRect(x, y, width, height, color);
}

} // namespace

void TDBGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), m_color);
    paintTitles(painter);
    paintRows(painter, event->rect());
    if (m_sizingColumn >= 0)
        FillLine(painter, m_sizingX, 0, 1, viewport()->height(), palette().color(QPalette::WindowText));
}

void TDBGrid::paintFixedCell(QPainter& painter, const QRect& rect) const {
    if (rect.isEmpty())
        return;
    painter.fillRect(rect, m_fixedColor);
    if (!m_model.layout().optionsEx().testFlag(dgxFixed3D))
        return;
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    FillLine(painter, rect.left(), rect.top(), rect.width(), 1, light);
    FillLine(painter, rect.left(), rect.top(), 1, rect.height(), light);
    FillLine(painter, rect.left(), rect.bottom(), rect.width(), 1, dark);
    FillLine(painter, rect.right(), rect.top(), 1, rect.height(), dark);
}

void TDBGrid::paintTitles(QPainter& painter) {
    const GridLayout& layout = m_model.layout();
    const int height = layout.titleRowHeight();
    if (!layout.options().testFlag(dgTitles))
        return;
    const QColor fixedLine = Qt::black;
    const int lineWidth = layout.columnLineWidth();
    const int indicator = layout.indicatorWidth();
    if (indicator > 0) {
        paintFixedCell(painter, QRect(0, 0, indicator, height));
        FillLine(painter, indicator, 0, lineWidth, height + layout.rowLineWidth(), fixedLine);
    }
    painter.setFont(m_titleFont);
    painter.setPen(palette().color(QPalette::WindowText));
    for (const TitleCell& cell : layout.titleCells()) {
        paintFixedCell(painter, cell.rect);
        // Always centred: a word wider than its cell keeps its middle on the cell's middle and is
        // clipped at both edges.
        painter.save();
        painter.setClipRect(cell.rect.adjusted(1, 1, -1, -1));
        painter.drawText(cell.textRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap,
                         cell.node->text());
        painter.restore();
        // The column line on the right, and under a merged cell the line across its span.
        FillLine(painter, cell.rect.right() + 1, cell.rect.top(), lineWidth, cell.rect.height() + 1,
                 fixedLine);
        if (cell.merged)
            FillLine(painter, cell.rect.left(), cell.rect.bottom() + 1, cell.rect.width() + lineWidth,
                     layout.rowLineWidth(), fixedLine);
    }
    FillLine(painter, 0, height, layout.columnsRight(), layout.rowLineWidth(), fixedLine);
}

void TDBGrid::paintRows(QPainter& painter, const QRect& dirty) {
    const GridLayout& layout = m_model.layout();
    const int indicator = layout.indicatorWidth();
    const int columnLine = layout.columnLineWidth();
    const int rowLine = layout.rowLineWidth();
    const int rowHeight = layout.rowHeight();
    const bool focused = hasFocus();
    const QColor text = palette().color(QPalette::Text);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlightText = palette().color(QPalette::HighlightedText);
    const QColor rowHighlight = rowHighlightColor();
    const QColor dataLine = dataLineColor();
    painter.setFont(font());
    for (int row = 0; row < layout.shownRowCount(); ++row) {
        const int record = m_model.recordAtRow(row);
        if (record < 0)
            break;
        const int top = layout.rowTop(row);
        if (top > dirty.bottom() || top + rowHeight + rowLine <= dirty.top())
            continue;
        if (indicator > 0) {
            paintFixedCell(painter, QRect(0, top, indicator, rowHeight));
            const GridModel::Glyph glyph = m_model.indicatorGlyph(record);
            if (glyph != GridModel::Glyph::None)
                painter.drawImage(indicator - GlyphRightMargin - GlyphWidth,
                                  top + (rowHeight - GlyphHeight) / 2, m_glyphs[static_cast<int>(glyph) - 1]);
            FillLine(painter, indicator, top, columnLine, rowHeight + rowLine, Qt::black);
            FillLine(painter, 0, top + rowHeight, indicator, rowLine, Qt::black);
        }
        for (int column = 0; column < m_model.columnCount(); ++column) {
            const int left = layout.columnLeft(column);
            if (left < 0)
                continue;
            const QRect cell(left, top, m_model.column(column)->width(), rowHeight);
            if (!cell.isEmpty()) {
                const GridModel::Highlight highlight = m_model.cellHighlight(record, column, focused);
                const CellMark mark =
                    m_decoration ? m_decoration->cellMark(record, m_model.column(column)->fieldName())
                                 : CellMark();
                const bool tinted = mark.tint.isValid();
                painter.fillRect(cell,
                                 highlight == GridModel::Highlight::Current ? shadow
                                 : highlight == GridModel::Highlight::Row
                                     ? (tinted ? TintUnderHighlight(mark.tint, rowHighlight) : rowHighlight)
                                 : tinted ? mark.tint
                                          : m_color);
                if (tinted && highlight == GridModel::Highlight::Current && mark.frame.isValid()) {
                    // The current cell keeps its highlight for the text; the mark frames it.
                    painter.save();
                    painter.setPen(QPen(mark.frame, 2));
                    painter.setBrush(Qt::NoBrush);
                    painter.drawRect(cell.adjusted(1, 1, -1, -1));
                    painter.restore();
                }
                painter.setPen(highlight == GridModel::Highlight::Current ? highlightText : text);
                painter.save();
                painter.setClipRect(cell);
                painter.drawText(cell.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                                 m_model.cellText(record, column));
                painter.restore();
            }
            FillLine(painter, cell.right() + 1, top, columnLine, rowHeight + rowLine, dataLine);
            FillLine(painter, left, top + rowHeight, cell.width() + columnLine, rowLine, dataLine);
        }
    }
}
