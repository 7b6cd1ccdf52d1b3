#include "app/application.h"
#include "platform/silentabort.h"
#include "support/showntext.h"

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct SeenBox {
    bool shown = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*>::size_type buttons = 0;
    QString shownText; // what the box's text label shows
};

// Reads the message box that is running modally when the timer fires, then presses its OK.
void watchForMessageBox(SeenBox& seen, int afterMs = 0) {
    QTimer::singleShot(afterMs, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen.shown = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->buttons().size();
        if (const auto* label = box->findChild<QLabel*>("qt_msgbox_label"))
            seen.shownText = ShownText(*label);
        // The question boxes have no OK; Escape answers them.
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->done(QMessageBox::Cancel);
    });
}

} // namespace

TEST(ApplicationTest, TitleIsSetOnCreation) {
    EXPECT_EQ(Application::instance()->title(), QString::fromUtf8("ZOR 27 График проведения контроля"));
}

TEST(ApplicationTest, FullStopIsAppendedAfterCharactersAboveIt) {
    const struct {
        QString text, shown;
    } cases[] = {
        {"File not found", "File not found."},
        {QString::fromUtf8("Ошибка"), QString::fromUtf8("Ошибка.")},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},   // '!' is below '.'
        {"(text)", "(text)"}, // ')' too
        {"50%", "50%"},
        {"Hyphen-", "Hyphen-"},
        {"a/", "a/."}, // '/' is the first code above '.'
        {"5", "5."},
        {"line\r", "line\r"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Application::errorMessageText(c.text), c.shown) << c.text.toStdString();
}

TEST(ApplicationTest, ExceptionInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
    SeenBox seen;
    bool stepAfterThrowRan = false;
    bool laterHandlerRan = false;
    QTimer::singleShot(0, [&] {
        watchForMessageBox(seen);
        throw std::runtime_error("Read beyond end of file");
        stepAfterThrowRan = true;
    });
    QTimer::singleShot(20, [&] {
        laterHandlerRan = true;
        QApplication::quit();
    });
    Application::instance()->exec();
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.title, Application::instance()->title());
    EXPECT_EQ(seen.text, "Read beyond end of file.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_FALSE(stepAfterThrowRan);
    EXPECT_TRUE(laterHandlerRan);
}

TEST(ApplicationTest, SilentCancellationShowsNothing) {
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        watchForMessageBox(seen);
        throw platform::SilentAbort();
    });
    QTimer::singleShot(20, [] { QApplication::quit(); });
    Application::instance()->exec();
    EXPECT_FALSE(seen.shown);
}

TEST(ApplicationTest, PlainMessageHasNoIconAndTheTextUnchanged) {
    SeenBox seen;
    watchForMessageBox(seen);
    Application::instance()->showPlainMessage(QString::fromUtf8("Неверный пароль"));
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, QString::fromUtf8("Неверный пароль"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.title, Application::instance()->title());
}

// A server's or a user's text that looks like markup is shown as it is, in every message box.
TEST(ApplicationTest, EveryMessageBoxShowsItsTextAsItIs) {
    Application* app = Application::instance();
    for (const QString& text : MarkupLikeTexts) {
        const struct {
            const char* name;
            std::function<void()> show;
            QString shown;
        } cases[] = {
            {"plain message", [&] { app->showPlainMessage(text); }, text},
            {"error message", [&] { app->showException(std::runtime_error(text.toStdString())); },
             text + "."},
            {"information", [&] { app->messageBox(text, "ZOR", UserShell::Ok | UserShell::IconInformation); },
             text},
            {"yes/no question",
             [&] { app->messageBox(text, "ZOR", UserShell::YesNo | UserShell::IconQuestion); }, text},
            {"yes/no/cancel question",
             [&] { app->messageBox(text, "ZOR", UserShell::YesNoCancel | UserShell::IconQuestion); }, text},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + ": " + text.toStdString());
            SeenBox seen;
            watchForMessageBox(seen);
            c.show();
            ASSERT_TRUE(seen.shown);
            EXPECT_EQ(seen.text, c.shown);
            EXPECT_EQ(seen.shownText, c.shown);
        }
    }
}

// A CR alone breaks the line in every message box, as CR LF does.
TEST(ApplicationTest, MessageBoxesBreakLinesAtCarriageReturns) {
    Application* app = Application::instance();
    const struct {
        QString text, shown;
    } cases[] = {
        {QString::fromUtf8("Сервер обновлений не доступен.\rОбратитесь к администратору."),
         QString::fromUtf8("Сервер обновлений не доступен.\nОбратитесь к администратору.")},
        {"one\r\ntwo\nthree", "one\ntwo\nthree"},
    };
    for (const auto& c : cases) {
        for (const auto& show : std::initializer_list<std::function<void()>>{
                 [&] { app->messageBox(c.text, "ZOR", UserShell::Ok | UserShell::IconInformation); },
                 [&] { app->showPlainMessage(c.text); },
                 [&] { app->showException(std::runtime_error((c.text + ".").toStdString())); }}) {
            SeenBox seen;
            watchForMessageBox(seen);
            show();
            ASSERT_TRUE(seen.shown);
            EXPECT_EQ(seen.shownText, c.shown + (seen.icon == QMessageBox::Critical ? "." : ""));
        }
    }
}

TEST(ApplicationTest, ClosingTheMainWindowEndsTheMainLoop) {
    Application* app = Application::instance();
    QWidget mainWindow;
    QTimer::singleShot(0, [&mainWindow] { mainWindow.close(); });
    QTimer::singleShot(5000, [] { QApplication::exit(99); });
    EXPECT_EQ(app->run(&mainWindow), 0);
}

// Each termination case needs its own application state, so these run last in one test.
TEST(ApplicationTest, TerminationRequests) {
    Application* app = Application::instance();

    // A request made while a modal dialog runs ends it with result 2.
    QDialog dialog;
    QTimer::singleShot(0, [app] { app->requestTermination(); });
    EXPECT_EQ(dialog.exec(), Application::TerminatedModalResult);
    EXPECT_TRUE(app->terminationRequested());

    // A request pending when the main loop starts ends it at once; the main window never shows.
    QWidget mainWindow;
    bool handlerRan = false;
    QTimer::singleShot(0, [&handlerRan] { handlerRan = true; });
    EXPECT_EQ(app->run(&mainWindow), 0);
    EXPECT_FALSE(mainWindow.isVisible());
    EXPECT_FALSE(handlerRan);
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
