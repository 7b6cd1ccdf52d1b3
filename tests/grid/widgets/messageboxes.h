#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Closes every message box the application shows while this lives, keeping the texts, as a user
// would read and dismiss them.
class MessageBoxes {
public:
    MessageBoxes() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        m_timer.start();
    }

    QStringList texts;

private:
    QTimer m_timer;
};
