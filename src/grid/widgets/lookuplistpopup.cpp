#include "lookuplistpopup.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>
#include <QSizeGrip>

LookupListPopup::LookupListPopup(QWidget* parent)
    : DropDownPopup(parent), m_list(new QListWidget(this)), m_grip(new QSizeGrip(this)) {
    setObjectName(QStringLiteral("LookupList"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_grip->setFixedSize(m_grip->sizeHint());
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit rowClicked(m_list->row(item)); });
}

void LookupListPopup::setRows(const QStringList& texts) {
    m_list->clear();
    m_list->addItems(texts);
}

void LookupListPopup::setCurrentRow(int row) {
    const QSignalBlocker blocker(m_list);
    if (row < 0) {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
        return;
    }
    m_list->setCurrentRow(row);
    m_list->scrollToItem(m_list->item(row));
}

int LookupListPopup::rowHeight() const {
    const int hinted = m_list->count() > 0 ? m_list->sizeHintForRow(0) : -1;
    return hinted > 0 ? hinted : QFontMetrics(m_list->font()).height() + 2;
}

QSize LookupListPopup::sizeFor(int rows, int width) const {
    const int frame = frameWidth();
    return QSize(width, rows * rowHeight() + 2 * frame);
}

int LookupListPopup::rowsShown() const {
    return std::max(m_list->viewport()->height() / std::max(rowHeight(), 1), 1);
}

void LookupListPopup::resizeEvent(QResizeEvent* event) {
    DropDownPopup::resizeEvent(event);
    const QRect inside = contentsRect();
    m_list->setGeometry(inside);
    m_grip->move(inside.right() + 1 - m_grip->width(), inside.bottom() + 1 - m_grip->height());
    m_grip->raise();
    if (!m_placing && isVisible())
        emit resizedByUser();
}

void LookupListPopup::place(const QRect& geometry) {
    m_placing = true;
    setGeometry(geometry);
    m_placing = false;
}
