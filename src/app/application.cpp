#include "application.h"

#include "platform/silentabort.h"
#include "programlocale.h"
#include "toolkittranslation.h"

#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setTitle(DefaultTitle);
    InstallProgramLocale();
    InstallRussianToolkitTranslation(*this);
    // Only the main window's closing ends the main loop; a message box shown while no other window
    // is visible must not end it.
    setQuitOnLastWindowClosed(false);
#ifndef Q_OS_WIN
    // The windows ask for the Windows system font by name; elsewhere the desktop's own sans serif
    // stands in, named up front so that no font search runs for a family that is not there.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                              QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
#endif
}

Application* Application::instance() {
    return static_cast<Application*>(QCoreApplication::instance());
}

void Application::setTitle(const QString& title) {
    m_title = title;
    setApplicationDisplayName(QString());
    setApplicationName(title);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error);
    } catch (...) {
        showException(std::runtime_error("Неизвестная ошибка"));
    }
    return false;
}

QString Application::errorMessageText(const QString& text) {
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + '.';
    return text;
}

namespace {

// The system's message boxes break a line at a lone CR as at CR LF; a label breaks only at LF.
QString boxText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void Application::showException(const std::exception& error) {
    if (dynamic_cast<const platform::SilentAbort*>(&error) != nullptr)
        return;
    QMessageBox box(QMessageBox::Critical, m_title,
                    boxText(errorMessageText(QString::fromUtf8(error.what()))), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText); // a server's text is never read as markup
    box.exec();
}

void Application::showPlainMessage(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, m_title, boxText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int Application::messageBox(const QString& text, const QString& caption, int flags) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case IconError:
        icon = QMessageBox::Critical;
        break;
    case IconQuestion:
        icon = QMessageBox::Question;
        break;
    case IconInformation:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (flags & 0x0F) {
    case YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    default:
        break;
    }
    QMessageBox box(icon, caption, boxText(text), buttons);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Cancel:
        return AnswerCancel;
    default:
        return (flags & 0x0F) == YesNoCancel ? AnswerCancel : AnswerOk;
    }
}

void Application::processPendingEvents() {
    processEvents();
}

void Application::requestTermination() {
    m_terminationRequested = true;
    QMetaObject::invokeMethod(this, &Application::endModalOrMainLoop, Qt::QueuedConnection);
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mainWindow && event->type() == QEvent::Hide && !m_mainWindow->isVisible() &&
        m_mainLoopRunning)
        quit();
    return QApplication::eventFilter(watched, event);
}

void Application::endModalOrMainLoop() {
    if (auto* dialog = qobject_cast<QDialog*>(activeModalWidget())) {
        dialog->done(TerminatedModalResult);
        return;
    }
    if (m_mainLoopRunning)
        quit();
}

int Application::run(QWidget* mainWindow) {
    if (m_terminationRequested)
        return 0;
    if (mainWindow != nullptr) {
        mainWindow->installEventFilter(this);
        m_mainWindow = mainWindow;
        mainWindow->show();
    }
    m_mainLoopRunning = true;
    const int code = exec();
    m_mainLoopRunning = false;
    if (m_mainWindow != nullptr)
        m_mainWindow->removeEventFilter(this);
    m_mainWindow = nullptr;
    return code;
}
