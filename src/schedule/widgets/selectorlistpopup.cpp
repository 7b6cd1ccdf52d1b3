#include "selectorlistpopup.h"

#include "lookupcombobox.h"
#include "schedule/lookupselector.h"
#include "selectoraccessibility.h"
#include "typedsearchcharacter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>

SelectorListPopup::SelectorListPopup(LookupComboBox& owner)
    : QFrame(&owner, Qt::Popup), m_owner(owner), m_scrollBar(new QScrollBar(Qt::Vertical, this)) {
    setObjectName(owner.objectName() + QStringLiteral("List"));
    // A window of its own takes the owner's font and colours only when told to.
    setAttribute(Qt::WA_WindowPropagation);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int top) {
        m_list.scrollTo(top);
        update();
    });
}

int SelectorListPopup::lineHeight() const {
    return fontMetrics().height();
}

QRect SelectorListPopup::rowsArea() const {
    QRect area = contentsRect();
    if (m_list.hasScrollBar())
        area.setRight(area.right() - m_scrollBar->sizeHint().width());
    return area;
}

QRect SelectorListPopup::lineRect(int line) const {
    const QRect area = rowsArea();
    return {area.left(), area.top() + line * lineHeight(), area.width(), lineHeight()};
}

int SelectorListPopup::rowAt(const QPoint& position) const {
    const QRect area = rowsArea();
    if (!area.contains(position))
        return -1;
    return m_list.rowAtLine((position.y() - area.top()) / lineHeight());
}

void SelectorListPopup::showFor(int highlighted) {
    m_list.open(m_owner.selector().rowCount(), highlighted);
    const int height = m_list.lineCount() * lineHeight() + 2 * frameWidth();
    const QRect selector(m_owner.mapToGlobal(QPoint(0, 0)), m_owner.size());
    const QScreen* screen = m_owner.screen();
    const QRect screenArea = screen != nullptr ? screen->geometry() : QRect(0, 0, 1 << 16, 1 << 16);
    setGeometry(QRect(DropDownList::placement(selector, height, screenArea), QSize(m_owner.width(), height)));
    const QRect area = contentsRect();
    const int barWidth = m_scrollBar->sizeHint().width();
    m_scrollBar->setGeometry(area.right() - barWidth + 1, area.top(), barWidth, area.height());
    syncScrollBar();
    show();
}

void SelectorListPopup::syncScrollBar() {
    m_scrollBar->setVisible(m_list.hasScrollBar());
    const QSignalBlocker quiet(m_scrollBar);
    m_scrollBar->setRange(0, m_list.maxTopRow());
    m_scrollBar->setPageStep(DropDownList::MaxVisibleRows);
    m_scrollBar->setValue(m_list.topRow());
    update();
    AnnounceHighlightedRow(*this);
}

void SelectorListPopup::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = rowsArea();
    painter.fillRect(area, palette().color(QPalette::Base));
    const LookupSelector& selector = m_owner.selector();
    for (int line = 0; line < m_list.lineCount(); ++line) {
        const int row = m_list.rowAtLine(line);
        if (row < 0)
            break;
        const QRect rect = lineRect(line);
        const bool highlighted = row == m_list.highlighted();
        if (highlighted)
            painter.fillRect(rect, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(highlighted ? QPalette::HighlightedText : QPalette::Text));
        const QRect textRect = rect.adjusted(2, 0, -2, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(selector.rowText(row), Qt::ElideRight, textRect.width()));
    }
}

void SelectorListPopup::keyPressEvent(QKeyEvent* event) {
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    const auto moveTo = [this](DropDownList::Move move) {
        m_list.move(move);
        syncScrollBar();
    };
    switch (event->key()) {
    case Qt::Key_Up:
        if (alt)
            m_owner.pickFromList(m_list.highlighted());
        else
            moveTo(DropDownList::Move::Up);
        return;
    case Qt::Key_Down:
        if (alt)
            m_owner.pickFromList(m_list.highlighted());
        else
            moveTo(DropDownList::Move::Down);
        return;
    case Qt::Key_Left:
        moveTo(DropDownList::Move::Up);
        return;
    case Qt::Key_Right:
        moveTo(DropDownList::Move::Down);
        return;
    case Qt::Key_PageUp:
        moveTo(DropDownList::Move::PageUp);
        return;
    case Qt::Key_PageDown:
        moveTo(DropDownList::Move::PageDown);
        return;
    case Qt::Key_Home:
        moveTo(DropDownList::Move::Home);
        return;
    case Qt::Key_End:
        moveTo(DropDownList::Move::End);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_owner.pickFromList(m_list.highlighted());
        return;
    case Qt::Key_Escape:
        m_owner.closeUp();
        return;
    case Qt::Key_Backspace:
        m_owner.selector().clearSearch();
        return;
    default:
        break;
    }
    if (const QChar typed = TypedSearchCharacter(*event); !typed.isNull()) {
        const int row = m_owner.selector().typeToFind(typed, m_owner.now());
        if (row >= 0) {
            m_list.highlight(row);
            syncScrollBar();
        }
        return;
    }
    QFrame::keyPressEvent(event);
}

void SelectorListPopup::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (!rect().contains(position)) {
        // A press on the selector itself only closes the list; elsewhere it goes on to its target.
        const QRect selector(m_owner.mapToGlobal(QPoint(0, 0)), m_owner.size());
        setAttribute(Qt::WA_NoMouseReplay, selector.contains(event->globalPosition().toPoint()));
        m_owner.closeUp();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_list.highlight(rowAt(position));
        syncScrollBar();
    }
}

void SelectorListPopup::mouseMoveEvent(QMouseEvent* event) {
    if (!event->buttons().testFlag(Qt::LeftButton))
        return;
    const int row = rowAt(event->position().toPoint());
    if (row >= 0) {
        m_list.highlight(row);
        syncScrollBar();
    }
}

void SelectorListPopup::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int row = rowAt(event->position().toPoint());
    if (row >= 0)
        m_owner.pickFromList(row);
}

void SelectorListPopup::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        m_list.scrollTo(m_list.topRow() - steps);
        syncScrollBar();
    }
}

void SelectorListPopup::hideEvent(QHideEvent* event) {
    m_owner.selector().clearSearch();
    m_owner.update();
    QFrame::hideEvent(event);
}
