#include "tdbgrid.h"

#include "grid/highlightcolor.h"
#include "grid/tgridcolumn.h"
#include "grid/ttitlenode.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>

namespace {

const QColor Silver(192, 192, 192);
const QColor Grey(128, 128, 128);
// The glyphs are 6 × 11 pixels, drawn 2 pixels from the indicator column's right edge.
constexpr int GlyphWidth = 6;
constexpr int GlyphHeight = 11;
constexpr int GlyphRightMargin = 2;

void FillLine(QPainter& painter, int x, int y, int width, int height, const QColor& color) {
    if (width > 0 && height > 0)
        painter.fillRect(x, y, width, height, color);
}

} // namespace

TDBGrid::TDBGrid(QWidget* parent) : QAbstractScrollArea(parent), m_fixedColor(Silver) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    m_titleFont = font;
    m_titleFont.setBold(true);
    m_color = palette().color(QPalette::Base);
    m_glyphs[0] = QImage(QStringLiteral(":/grid/GRIDARROW"));
    m_glyphs[1] = QImage(QStringLiteral(":/grid/GRIDEDIT"));
    m_glyphs[2] = QImage(QStringLiteral(":/grid/GRIDINSERT"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    connect(&m_model, &GridModel::changed, this, &TDBGrid::modelChanged);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) {
        // Moving the record may post and fail; the move runs from the event loop, where the
        // application's error handling receives what it raises.
        const int position = verticalScrollBar()->sliderPosition();
        QMetaObject::invokeMethod(
            this, [this, action, position] { scrollBarAction(action, position); }, Qt::QueuedConnection);
    });
    updateArea();
    m_model.setTextMeasure(this);
}

TDBGrid::~TDBGrid() {
    // The model outlives this body: it must neither measure nor notify a grid being destroyed.
    disconnect(&m_model, nullptr, this, nullptr);
    m_model.setTextMeasure(nullptr);
}

void TDBGrid::setTitleFont(const QFont& font) {
    m_titleFont = font;
    m_model.requestLayout();
}

void TDBGrid::setColor(const QColor& color) {
    m_color = color;
    viewport()->update();
}

void TDBGrid::setFixedColor(const QColor& color) {
    m_fixedColor = color;
    viewport()->update();
}

QColor TDBGrid::rowHighlightColor() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return HighlightColor(m_color, palette().color(QPalette::Dark), palette().color(QPalette::Button),
                          screen && screen->depth() <= 8);
}

QColor TDBGrid::dataLineColor() const {
    return m_color == Silver ? Grey : Silver;
}

void TDBGrid::setCellDecoration(const CellDecoration* decoration) {
    m_decoration = decoration;
    viewport()->update();
}

bool TDBGrid::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !m_decoration)
        return QAbstractScrollArea::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const GridHit hit = m_model.layout().hitTest(help->pos().x(), help->pos().y());
    const int record = hit.area == GridHit::Cell ? m_model.recordAtRow(hit.row) : -1;
    const TGridColumn* column = record >= 0 ? m_model.column(hit.column) : nullptr;
    const QString text = column ? m_decoration->cellMark(record, column->fieldName()).toolTip : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, viewport(), cellRect(hit.row, hit.column));
    }
    return true;
}

QRect TDBGrid::cellRect(int row, int column) const {
    const GridLayout& layout = m_model.layout();
    const TGridColumn* found = m_model.column(column);
    const int left = layout.columnLeft(column);
    if (!found || left < 0)
        return QRect();
    return QRect(left, layout.rowTop(row), found->width(), layout.rowHeight());
}

int TDBGrid::titleTextHeight(const QString& text, int width) const {
    const QFontMetrics metrics(m_titleFont, this);
    return metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text).height();
}

int TDBGrid::dataTextHeight(const QString& text) const {
    return QFontMetrics(font(), this).size(Qt::TextSingleLine, text).height();
}

void TDBGrid::modelChanged() {
    syncScrollBar();
    viewport()->update();
}

void TDBGrid::updateArea() {
    const QRect area = contentsRect();
    m_model.setArea(area.width(), area.height(), verticalScrollBar()->sizeHint().width());
}

void TDBGrid::syncScrollBar() {
    const GridLayout& layout = m_model.layout();
    setVerticalScrollBarPolicy(layout.scrollBarShown() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(m_model.recordCount() - 1, 0));
    bar->setPageStep(std::max(layout.fullRowCount(), 1));
    bar->setSingleStep(1);
    bar->setValue(std::max(m_model.currentRecord(), 0));
}

void TDBGrid::scrollBarAction(int action, int position) {
    const int page = std::max(m_model.layout().fullRowCount(), 1);
    try {
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            m_model.moveBy(1);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            m_model.moveBy(-1);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            m_model.moveBy(page);
            break;
        case QAbstractSlider::SliderPageStepSub:
            m_model.moveBy(-page);
            break;
        case QAbstractSlider::SliderToMinimum:
            m_model.moveToRecord(0);
            break;
        case QAbstractSlider::SliderToMaximum:
            m_model.moveToRecord(m_model.recordCount() - 1);
            break;
        case QAbstractSlider::SliderMove:
            m_model.moveToRecord(position);
            break;
        default:
            break;
        }
    } catch (...) {
        // The slider shows the record that stayed current.
        syncScrollBar();
        throw;
    }
    syncScrollBar();
}

bool TDBGrid::event(QEvent* event) {
    const bool handled = QAbstractScrollArea::event(event);
    // The grid's own size, not the viewport's: the viewport follows the scroll bar, and laying out
    // again while the scroll area places it would undo the scroll bar's change.
    if (event->type() == QEvent::Resize)
        updateArea();
    return handled;
}

void TDBGrid::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        m_model.requestLayout();
    else if (event->type() == QEvent::StyleChange)
        updateArea();
}

void TDBGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TDBGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint at = event->position().toPoint();
    const GridLayout& layout = m_model.layout();
    const int sizing = layout.sizingColumnAt(at.x(), at.y());
    if (sizing >= 0) {
        m_sizingColumn = sizing;
        m_sizingStartX = at.x();
        m_sizingStartWidth = m_model.column(sizing)->width();
        m_sizingX = at.x();
        viewport()->update();
        return;
    }
    const GridHit hit = layout.hitTest(at.x(), at.y());
    if (hit.area != GridHit::Cell && hit.area != GridHit::Indicator)
        return;
    const int record = m_model.recordAtRow(hit.row);
    if (record < 0)
        return;
    if (record != m_model.currentRecord())
        m_model.moveBy(record - m_model.currentRecord());
    if (hit.column >= 0)
        m_model.setCurrentColumn(hit.column);
}

void TDBGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_sizingColumn >= 0) {
        m_sizingX = at.x();
        viewport()->update();
        return;
    }
    if (m_model.layout().sizingColumnAt(at.x(), at.y()) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (m_sizingColumn < 0 || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    const int column = m_sizingColumn;
    const int width = m_sizingStartWidth + event->position().toPoint().x() - m_sizingStartX;
    m_sizingColumn = -1;
    viewport()->update();
    m_model.resizeColumn(column, width);
}

void TDBGrid::wheelEvent(QWheelEvent* event) {
    // One record per notch: a notch is 120 units.
    m_wheelRest += event->angleDelta().y();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    event->accept();
    if (notches != 0)
        m_model.moveBy(-notches);
}

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
    const QFontMetrics metrics(m_titleFont, this);
    for (const TitleCell& cell : layout.titleCells()) {
        paintFixedCell(painter, cell.rect);
        // A word wider than its cell shows its beginning rather than its middle.
        bool overflows = false;
        for (const QString& word : cell.node->text().split(u' ', Qt::SkipEmptyParts))
            overflows = overflows || metrics.horizontalAdvance(word) > cell.textRect.width();
        painter.save();
        painter.setClipRect(cell.rect.adjusted(1, 1, -1, -1));
        painter.drawText(cell.textRect,
                         (overflows ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter | Qt::TextWordWrap,
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
