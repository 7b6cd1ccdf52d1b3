#include "dropdownpopup.h"

#include <QMouseEvent>

DropDownPopup::DropDownPopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void DropDownPopup::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint()) && m_toggle && m_toggle->isVisible()) {
        const QPoint at = m_toggle->mapFromGlobal(event->globalPosition().toPoint());
        setAttribute(Qt::WA_NoMouseReplay, m_toggle->rect().contains(at));
    }
    QFrame::mousePressEvent(event);
}

void DropDownPopup::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit closed();
}
