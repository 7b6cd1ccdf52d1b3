#include "signinedit.h"

#include <QFocusEvent>

SignInEdit::SignInEdit(const QRect& box, bool masked, bool autoSelect, QWidget* parent)
    : QLineEdit(parent), m_autoSelect(autoSelect) {
    setGeometry(box);
    setFrame(false);
    // '*' for every character, whatever the style's own mask character is.
    setStyleSheet(QStringLiteral("QLineEdit { border: none; background: white; color: black; "
                                 "lineedit-password-character: 42; }"));
    if (masked)
        setEchoMode(QLineEdit::Password);
}

void SignInEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!m_autoSelect && hasSelectedText())
        deselect();
}
