#include "signinedit.h"

#include <QFocusEvent>
#include <QProxyStyle>

namespace {

// '*' for every character of a masked edit, whatever the style's own mask character is.
class AsteriskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

SignInEdit::SignInEdit(const QRect& box, bool masked, bool autoSelect, QWidget* parent)
    : QLineEdit(parent), m_autoSelect(autoSelect) {
    setGeometry(box);
    setFrame(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    if (masked) {
        static AsteriskStyle* const style = new AsteriskStyle;
        setStyle(style);
        setEchoMode(QLineEdit::Password);
    }
}

void SignInEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!m_autoSelect && hasSelectedText())
        deselect();
}
