#pragma once

#include "context/usershell.h"

#include <QList>
#include <QStringList>

namespace testsupport {

// A user shell that records what the program shows and answers message boxes from a script.
class FakeShell : public UserShell {
public:
    struct Box {
        QString text;
        QString caption;
        int flags;
    };

    QString title() const override { return QStringLiteral("ZOR 27 График проведения контроля"); }
    void showPlainMessage(const QString& text) override { plainMessages << text; }
    void showException(const std::exception& error) override;
    int messageBox(const QString& text, const QString& caption, int flags) override;
    void processPendingEvents() override { ++pendingEventRuns; }
    void requestTermination() override { ++terminationRequests; }
    bool terminationRequested() const override { return terminationRequests > 0; }

    QStringList plainMessages;
    // The texts of the default error boxes (the silent cancellation shows none).
    QStringList errors;
    QList<Box> boxes;
    // Answers for the next message boxes, first first; without one a box is answered with its
    // last button (OK, No or Cancel).
    QList<int> answers;
    int pendingEventRuns = 0;
    int terminationRequests = 0;
};

} // namespace testsupport
