#include "inplaceedit.h"

#include <QStyle>
#include <QToolButton>

InplaceEdit::InplaceEdit(QWidget* parent) : QLineEdit(parent), m_button(new QToolButton(this)) {
    setObjectName(QStringLiteral("InplaceEditor"));
    setFrame(false);
    // The grid limits the text itself; the edit must never cut what it is given to show.
    setMaxLength(32767);
    setAcceptDrops(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    m_button->setObjectName(QStringLiteral("DropDownButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->hide();
    connect(m_button, &QToolButton::clicked, this, &InplaceEdit::dropDownClicked);
}

int InplaceEdit::anchor() const {
    if (!hasSelectedText())
        return cursorPosition();
    const int start = selectionStart();
    return cursorPosition() == start ? selectionEnd() : start;
}

void InplaceEdit::display(const QString& text, int anchor, int cursor) {
    if (QLineEdit::text() != text)
        setText(text);
    if (anchor == cursor)
        setCursorPosition(cursor);
    else
        setSelection(anchor, cursor - anchor);
}

void InplaceEdit::focusOutEvent(QFocusEvent* event) {
    const int anchor = this->anchor();
    const int cursor = cursorPosition();
    QLineEdit::focusOutEvent(event);
    if (anchor != this->anchor() || cursor != cursorPosition())
        display(text(), anchor, cursor);
}

void InplaceEdit::setDropDownButton(bool shown) {
    m_button->setVisible(shown);
    placeButton();
}

void InplaceEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeButton();
}

// As wide as a scroll bar, the editor's full height.
void InplaceEdit::placeButton() {
    const int width =
        std::min(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), this->width() / 2);
    m_button->setGeometry(this->width() - width, 0, width, height());
    setTextMargins(0, 0, m_button->isVisible() ? width : 0, 0);
}
