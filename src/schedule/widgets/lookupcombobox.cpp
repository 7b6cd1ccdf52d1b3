#include "lookupcombobox.h"

#include "schedule/lookupselector.h"
#include "selectoraccessibility.h"
#include "selectorlistpopup.h"
#include "typedsearchcharacter.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {

qint64 MonotonicMilliseconds() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

LookupComboBox::LookupComboBox(LookupSelector& selector, QWidget* parent)
    : QWidget(parent), m_selector(selector), m_clock(MonotonicMilliseconds) {
    setObjectName(selector.objectName());
    setFocusPolicy(Qt::StrongFocus);
    InstallSelectorAccessibility();
    m_popup = new SelectorListPopup(*this);
    connect(&m_selector, &LookupSelector::changed, this, &LookupComboBox::followSelector);
    followSelector();
}

void LookupComboBox::setLabel(QLabel* label) {
    m_label = label;
    setAccessibleName(label != nullptr ? label->text() : QString());
}

QLabel* LookupComboBox::label() const {
    return m_label;
}

bool LookupComboBox::isDroppedDown() const {
    return m_popup->isVisible();
}

void LookupComboBox::followSelector() {
    setEnabled(m_selector.isEnabled());
    if (isDroppedDown() && !m_selector.canDropDown())
        closeUp();
    update();
    AnnounceSelectorValue(*this);
}

QSize LookupComboBox::sizeHint() const {
    return {145, fontMetrics().height() + 8};
}

void LookupComboBox::dropDown() {
    if (isDroppedDown() || !m_selector.canDropDown())
        return;
    m_popup->showFor(m_selector.rowOfKey());
    update();
}

void LookupComboBox::closeUp() {
    if (isDroppedDown())
        m_popup->hide();
    update();
}

void LookupComboBox::pickFromList(int row) {
    closeUp();
    if (row >= 0)
        m_selector.pickRow(row);
    else
        m_selector.pick(m_selector.keyValue());
}

void LookupComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = false;
    option.frame = true;
    option.currentText = m_selector.shownText();
    if (isDroppedDown())
        option.state |= QStyle::State_On;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (!hasFocus() || isDroppedDown()) {
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
        return;
    }
    // The focused selector shows its text area in the selection colours.
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.fillRect(field, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    const QRect textArea = field.adjusted(2, 0, -2, 0);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(option.currentText, Qt::ElideRight, textArea.width()));
}

void LookupComboBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (isDroppedDown())
        closeUp();
    else
        dropDown();
}

void LookupComboBox::keyPressEvent(QKeyEvent* event) {
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (alt)
            dropDown();
        else
            m_selector.pickStep(event->key() == Qt::Key_Up ? -1 : 1);
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        m_selector.clearSearch();
        return;
    default:
        break;
    }
    if (const QChar typed = TypedSearchCharacter(*event); !typed.isNull()) {
        m_selector.typeToPick(typed, now());
        return;
    }
    QWidget::keyPressEvent(event);
}

void LookupComboBox::focusInEvent(QFocusEvent* event) {
    m_selector.clearSearch();
    QWidget::focusInEvent(event);
    update();
}

void LookupComboBox::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason)
        closeUp();
    QWidget::focusOutEvent(event);
    update();
}
