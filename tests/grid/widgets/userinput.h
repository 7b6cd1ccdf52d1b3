#pragma once

#include <QString>
#include <QTest>
#include <QWindow>

// Keys as a user types them: through the window system into the window, so that the focus widget,
// or an open pop-up, receives them.
inline void TypeInto(QWindow* window, const QString& text) {
    for (const QChar c : text) {
        const Qt::Key key = static_cast<Qt::Key>(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, window, key, QString(c), Qt::NoModifier);
    }
}

inline void Press(QWindow* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window, key, modifiers);
}
