#include "typedtext.h"

QString TypedText(int key, Qt::KeyboardModifiers modifiers, const QString& eventText) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return QStringLiteral("\r");
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    if (key == Qt::Key_Backspace)
        return control ? QString() : QStringLiteral("\b"); // Ctrl+Backspace deletes a word
    if (eventText.isEmpty())
        return QString();
    // What the edit itself inserts: formatting characters (which Windows types with Ctrl+Shift), and
    // otherwise, unless Ctrl or Ctrl+Shift alone is held (AltGr is Ctrl+Alt there), printable and
    // private-use characters and whole surrogate pairs.
    const QChar first = eventText.front();
    if (first.category() == QChar::Other_Format)
        return eventText;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return QString();
    const bool inserted = first.isPrint() || first.category() == QChar::Other_PrivateUse ||
                          (first.isHighSurrogate() && eventText.size() > 1 && eventText[1].isLowSurrogate());
    return inserted ? eventText : QString();
}

bool NewPasswordTakes(const QString& typed) {
    for (const QChar ch : typed) {
        const char16_t code = ch.unicode();
        const bool taken = code == 8 || (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
                           code == '_' || (code >= 'a' && code <= 'z');
        if (!taken)
            return false;
    }
    return true;
}
