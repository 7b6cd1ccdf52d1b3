#pragma once

#include <QString>
#include <exception>

// What the program's logic asks of the user's desktop: message boxes, the default error box and
// termination requests. The application object implements it; tests use a recording fake.
class UserShell {
public:
    // Message box flags and answers, with the values of the system's message box.
    enum Flags {
        Ok = 0,
        YesNoCancel = 3,
        YesNo = 4,
        IconError = 16,
        IconQuestion = 32,
        IconInformation = 64
    };
    enum Answer { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

    virtual ~UserShell() = default;

    // The application's title, the caption of its message boxes.
    virtual QString title() const = 0;
    // The title as caption, the text unchanged, OK, no icon; returns when closed.
    virtual void showPlainMessage(const QString& text) = 0;
    // The default error box (the text with its full stop rule, error icon, OK); nothing for the
    // silent cancellation.
    virtual void showException(const std::exception& error) = 0;
    // A message box with the given caption and flags; returns the answer.
    virtual int messageBox(const QString& text, const QString& caption, int flags) = 0;
    // Handles the window events that are pending, so that a change shows before blocking work.
    virtual void processPendingEvents() = 0;
    // Queues a termination request: it ends a running modal dialog with result 2, or the main loop.
    virtual void requestTermination() = 0;
    virtual bool terminationRequested() const = 0;
};
