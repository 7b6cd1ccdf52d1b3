#pragma once

#include "context/usershell.h"

#include <QApplication>
#include <QPointer>
#include <QString>
#include <exception>

class QWidget;

// The application object: the title, the default error handling of event handlers, the plain
// message box and termination requests that go through the message loop.
class Application : public QApplication, public UserShell {
    Q_OBJECT
public:
    static inline const QString DefaultTitle = QStringLiteral("ZOR 27 График проведения контроля");

    Application(int& argc, char** argv);

    static Application* instance();

    QString title() const override { return m_title; }
    void setTitle(const QString& title);

    // Catches what escapes an event handler: the handler stops, the program goes on.
    bool notify(QObject* receiver, QEvent* event) override;

    // The default error message box (or nothing for the silent cancellation).
    void showException(const std::exception& error) override;
    int messageBox(const QString& text, const QString& caption, int flags) override;
    void processPendingEvents() override;
    // The error text with a full stop appended when its last character's code is above that of '.'.
    static QString errorMessageText(const QString& text);
    // Title as caption, the text unchanged, OK, no icon.
    Q_INVOKABLE void showPlainMessage(const QString& text) override;

    // Queues a quit request: it ends a running modal dialog with result 2, or the main loop; a
    // request pending when the main loop starts ends it at once.
    Q_INVOKABLE void requestTermination() override;
    bool terminationRequested() const override { return m_terminationRequested; }

    // Runs the main message loop, showing the main window as it starts (unless termination has
    // already been requested); returns the loop's exit code.
    int run(QWidget* mainWindow);

    // The result with which a termination request ends a modal dialog.
    static constexpr int TerminatedModalResult = 2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void endModalOrMainLoop();

    QPointer<QWidget> m_mainWindow;
    QString m_title;
    bool m_terminationRequested = false;
    bool m_mainLoopRunning = false;
};
