#include "app/application.h"
#include "context/programcontext.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "signin/widgets/centredlabel.h"
#include "signin/widgets/picturebox.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"
#include "support/tempinstallation.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Types the text character by character as key presses carrying it (QTest's own typing knows
// only ASCII keys).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        const int key = ch.unicode() < 128 && ch.isLetterOrNumber() ? ch.toUpper().unicode()
                        : ch == ' '                                 ? int(Qt::Key_Space)
                                                                    : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

class FixedResolver : public platform::HostResolver {
public:
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string&) const override {
        return {{10, 1, 2, 3}};
    }
};

// What a dialog needs around it: an installation of its own, the data module, the application.
struct DialogContext {
    testsupport::TempInstallation install;
    TDM_MB data;
    FixedResolver resolver;
    ProgramContext context{install.installation(), *Application::instance(), data, resolver};
};

// A key press and release as the window system sends them: the key, its modifiers and its text.
void pressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

// The rows of the label's own rendering that hold ink.
std::pair<int, int> inkRows(QWidget* label) {
    const QImage image = label->grab().toImage();
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0 && qGray(image.pixel(x, y)) < 128) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return {first, last};
}

QRect geometryOf(const TForm8& dialog, const char* name) {
    const auto* widget = dialog.findChild<QWidget*>(name);
    return widget != nullptr ? widget->geometry() : QRect();
}

} // namespace

TEST(TForm8Test, LayoutAsDrawnUnderThePictures) {
    DialogContext around;
    TForm8 dialog(around.context);
    EXPECT_EQ(dialog.size(), QSize(497, 273));
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Аутентификация"));
    const struct {
        const char* name;
        QRect box;
    } boxes[] = {
        {"Image1", {0, 0, 497, 278}},          {"Image2", {0, 277, 497, 139}},
        {"Login_Edit", {146, 202, 187, 21}},   {"Password_Edit", {146, 238, 187, 21}},
        {"Edit1", {148, 309, 186, 21}},        {"Edit2", {148, 345, 186, 21}},
        {"SpeedButton2", {349, 200, 55, 20}},  {"SpeedButton1", {418, 199, 67, 22}},
        {"SpeedButton3", {346, 236, 139, 22}}, {"StatusLabel", {60, 107, 329, 78}},
    };
    for (const auto& b : boxes)
        EXPECT_EQ(geometryOf(dialog, b.name), b.box) << b.name;
    EXPECT_EQ(geometryOf(dialog, "Label1").topLeft(), QPoint(6, 5));
    EXPECT_EQ(dialog.Label1->text(), "V.1");

    EXPECT_EQ(dialog.Image1->storedSize(), QSize(1677, 935));
    EXPECT_EQ(dialog.Image1->drawnSize(), QSize(497, 277));
    EXPECT_EQ(dialog.Image2->storedSize(), QSize(3070, 862));
    EXPECT_EQ(dialog.Image2->drawnSize(), QSize(497, 139));

    EXPECT_EQ(dialog.Password_Edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.Login_Edit->echoMode(), QLineEdit::Normal);
    for (QToolButton* button : {dialog.SpeedButton1, dialog.SpeedButton2, dialog.SpeedButton3}) {
        EXPECT_TRUE(button->autoRaise());
        EXPECT_TRUE(button->text().isEmpty());
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(dialog.StatusLabel->font().family(), "Arial");
    EXPECT_TRUE(dialog.StatusLabel->font().bold());
    EXPECT_EQ(dialog.StatusLabel->font().pointSize(), 10);
    EXPECT_EQ(dialog.AttemptCount, 0);
    EXPECT_FALSE(dialog.ChangePasswordMode);
    EXPECT_FALSE(dialog.Timer1->isActive());
    EXPECT_EQ(dialog.Timer1->interval(), 2000);
}

// The test desktop: a primary monitor of 1280 x 1024 and a second one of 1920 x 1080 to its right.
TEST(TForm8Test, OpensCentredOnTheScreen) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1280, 1024));
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableVirtualGeometry(), QRect(0, 0, 3200, 1080));
    DialogContext around;
    TForm8 dialog(around.context);
    QRect shown;
    QTimer::singleShot(0, [&] {
        shown = dialog.frameGeometry();
        dialog.reject();
    });
    EXPECT_EQ(dialog.exec(), 2);
    // No frame: the outer rectangle is the window's own, half the spare room from the top left.
    EXPECT_EQ(shown, QRect(391, 375, 497, 273));
    EXPECT_EQ(dialog.geometry(), QRect(391, 375, 497, 273));
}

TEST(TForm8Test, PanelButtonTogglesTheHeight) {
    DialogContext around;
    TForm8 dialog(around.context);
    dialog.show();
    const QPoint topLeft = dialog.pos();
    dialog.SpeedButton3->click();
    EXPECT_TRUE(dialog.ChangePasswordMode);
    EXPECT_EQ(dialog.height(), 416);
    dialog.SpeedButton3->click();
    EXPECT_FALSE(dialog.ChangePasswordMode);
    EXPECT_EQ(dialog.height(), 275);
    EXPECT_EQ(dialog.pos(), topLeft);
}

TEST(TForm8Test, NewPasswordEditsAcceptOnlyLatinLettersDigitsAndUnderscore) {
    DialogContext around;
    TForm8 dialog(around.context);
    dialog.show();
    for (SignInEdit* edit : {dialog.Edit1, dialog.Edit2}) {
        typeText(edit, QString::fromUtf8("aZ9_ b-Жx.!"));
        EXPECT_EQ(edit->text(), "aZ9_bx");
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), "aZ9_b");
    }
    typeText(dialog.Login_Edit, QString::fromUtf8("Иванов И.И."));
    EXPECT_EQ(dialog.Login_Edit->text(), QString::fromUtf8("Иванов И.И."));
    typeText(dialog.Password_Edit, QString::fromUtf8("пароль 1!"));
    EXPECT_EQ(dialog.Password_Edit->text(), QString::fromUtf8("пароль 1!"));
}

// The filter acts on typed characters only: the editing keys and the clipboard keys keep working,
// and pasted text is not inspected.
TEST(TForm8Test, NewPasswordEditsKeepTheEditingAndClipboardKeys) {
    DialogContext around;
    TForm8 dialog(around.context);
    dialog.SpeedButton3->click();
    dialog.show();
    for (SignInEdit* edit : {dialog.Edit1, dialog.Edit2}) {
        edit->setFocus();
        typeText(edit, "abcd");
        pressKey(edit, Qt::Key_Home, Qt::NoModifier);
        pressKey(edit, Qt::Key_Delete, Qt::NoModifier, "\x7f");
        EXPECT_EQ(edit->text(), "bcd");
        pressKey(edit, Qt::Key_Right, Qt::NoModifier);
        pressKey(edit, Qt::Key_Delete, Qt::NoModifier, "\x7f");
        EXPECT_EQ(edit->text(), "bd");
        pressKey(edit, Qt::Key_End, Qt::NoModifier);
        pressKey(edit, Qt::Key_Left, Qt::NoModifier);
        typeText(edit, "_");
        EXPECT_EQ(edit->text(), "b_d");
        EXPECT_EQ(edit->cursorPosition(), 2);

        QApplication::clipboard()->setText(QString::fromUtf8("X9 Ж"));
        pressKey(edit, Qt::Key_V, Qt::ControlModifier, "\x16");
        EXPECT_EQ(edit->text(), QString::fromUtf8("b_X9 Жd"));
        QApplication::clipboard()->setText("y");
        pressKey(edit, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(edit->text(), QString::fromUtf8("b_X9 Жyd"));

        pressKey(edit, Qt::Key_A, Qt::ControlModifier, "\x01");
        EXPECT_EQ(edit->selectedText(), edit->text());
        pressKey(edit, Qt::Key_Delete, Qt::NoModifier, "\x7f");
        EXPECT_EQ(edit->text(), "");

        // Typed characters are still filtered.
        typeText(edit, QString::fromUtf8("Ж !z"));
        EXPECT_EQ(edit->text(), "z");
        edit->clear();
    }
}

TEST(TForm8Test, EnterInEveryEditPressesTheSignInButtonOnKeyDown) {
    DialogContext around;
    TForm8 dialog(around.context);
    dialog.show();
    // With the panel open and the two new passwords different, a press stops at the mismatch,
    // so no server is involved.
    dialog.SpeedButton3->click();
    int presses = 0;
    QObject::connect(dialog.SpeedButton2, &QToolButton::clicked, [&presses] { ++presses; });
    for (SignInEdit* edit : {dialog.Login_Edit, dialog.Password_Edit, dialog.Edit1, dialog.Edit2}) {
        dialog.Edit1->setText("a");
        dialog.Edit2->setText("b");
        const QString before = edit->text();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(edit == dialog.Edit1 || edit == dialog.Edit2 ? QString() : before, edit->text());
    }
    EXPECT_EQ(presses, 4);
    EXPECT_EQ(dialog.AttemptCount, 4);
    // Auto-repeated key-downs press again, each one counted.
    for (int i = 0; i < 3; ++i) {
        dialog.Edit1->setText("a");
        dialog.Edit2->setText("b");
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QApplication::sendEvent(dialog.Login_Edit, &repeat);
    }
    EXPECT_EQ(dialog.AttemptCount, 7);
    EXPECT_EQ(dialog.StatusLabel->text(),
              QString::fromUtf8("Новый пароль подтвержден не верно!!!\rПодтвердите пароль заново."));
}

TEST(TForm8Test, MismatchEmptiesBothEditsAndCounts) {
    DialogContext around;
    TForm8 dialog(around.context);
    dialog.SpeedButton3->click();
    dialog.Edit1->setText("Secret1");
    dialog.Edit2->setText("secret1");
    dialog.SpeedButton2->click();
    EXPECT_TRUE(dialog.Edit1->text().isEmpty());
    EXPECT_TRUE(dialog.Edit2->text().isEmpty());
    EXPECT_EQ(dialog.StatusLabel->text(),
              QString::fromUtf8("Новый пароль подтвержден не верно!!!\rПодтвердите пароль заново."));
    EXPECT_EQ(dialog.AttemptCount, 1);
}

TEST(TForm8Test, TabFromThePasswordGoesToTheHiddenNewPassword) {
    DialogContext around;
    TForm8 dialog(around.context);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.Password_Edit->setFocus();
    QTest::keyClick(dialog.Password_Edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.Edit1);
}

TEST(TForm8Test, CancelAndCloseEndTheRunWithTwoEscapeDoesNothing) {
    {
        DialogContext around;
        TForm8 dialog(around.context);
        QTimer::singleShot(0, [&dialog] { dialog.SpeedButton1->click(); });
        EXPECT_EQ(dialog.exec(), 2);
    }
    {
        DialogContext around;
        TForm8 dialog(around.context);
        QTimer::singleShot(0, [&dialog] {
            QTest::keyClick(dialog.Login_Edit, Qt::Key_Escape);
            QTest::keyClick(&dialog, Qt::Key_Escape);
            EXPECT_TRUE(dialog.isVisible());
            dialog.close();
        });
        EXPECT_EQ(dialog.exec(), 2);
    }
}

TEST(TForm8Test, LeftButtonOnAPictureOrTheStatusLabelMovesTheWindow) {
    const struct {
        const char* name;
        Qt::MouseButton button;
        bool moves;
    } cases[] = {
        {"Image1", Qt::LeftButton, true},      {"Image2", Qt::LeftButton, true},
        {"StatusLabel", Qt::LeftButton, true}, {"Image1", Qt::RightButton, false},
        {"Label1", Qt::LeftButton, false},     {"Login_Edit", Qt::LeftButton, false},
    };
    for (const auto& c : cases) {
        DialogContext around;
        TForm8 dialog(around.context);
        dialog.SpeedButton3->click(); // Image2 in sight
        dialog.show();
        dialog.move(100, 100);
        auto* widget = dialog.findChild<QWidget*>(c.name);
        const QPoint start(10, 10);
        QTest::mousePress(widget, c.button, Qt::NoModifier, start);
        QMouseEvent drag(QEvent::MouseMove, QPointF(start + QPoint(30, 20)),
                         QPointF(widget->mapToGlobal(start + QPoint(30, 20))), Qt::NoButton, c.button,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &drag);
        QTest::mouseRelease(widget, c.button, Qt::NoModifier, start + QPoint(30, 20));
        EXPECT_EQ(dialog.pos(), c.moves ? QPoint(130, 120) : QPoint(100, 100)) << c.name << " " << c.button;
    }
}

// Bold Arial of 10 points is 13 pixels high; a line of it takes 15 (ascent 12, descent 3). The box is
// 329 x 78.
TEST(TForm8Test, StatusLabelCentresItsBlockAndBreaksLinesAtCarriageReturn) {
    DialogContext around;
    TForm8 dialog(around.context);
    CentredLabel* label = dialog.StatusLabel;
    const QString family = QFontInfo(label->font()).family();
    ASSERT_TRUE(family == "Arial" || family == "Liberation Sans")
        << "the numbers below are Arial's: " << family.toStdString();
    const struct {
        QString text;
        QRect block;
    } cases[] = {
        {"one", {0, 31, 329, 15}},               // 63 spare pixels: 31 above
        {"one\rtwo", {0, 24, 329, 30}},          // CR starts a new line
        {"one\r\ntwo\rthree", {0, 16, 329, 45}}, // CR LF is one break
        {QString::fromUtf8("Новый пароль подтвержден не верно!!!\rПодтвердите пароль заново."),
         {0, 24, 329, 30}},
        {QString("word ").repeated(200), {0, -133, 329, 345}}, // taller than the box: still centred
    };
    for (const auto& c : cases) {
        label->setText(c.text);
        EXPECT_EQ(label->textBlockRect(), c.block) << c.text.toStdString();
        const auto [first, last] = inkRows(label);
        EXPECT_GE(first, std::max(0, c.block.top())) << c.text.toStdString();
        EXPECT_LE(last, std::min(77, c.block.bottom())) << c.text.toStdString();
    }
}

TEST(TForm8Test, CreationDeletesTheLeftoverReplacementScript) {
    DialogContext around;
    const QString script = around.install.installation().updateScript();
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("@echo off\r\n");
    file.close();
    TForm8 dialog(around.context);
    EXPECT_FALSE(QFile::exists(script));
}

TEST(TForm8Test, QuitTimerRequestsTerminationAndSpeedsUp) {
    DialogContext around;
    TForm8 dialog(around.context);
    QTimer::singleShot(0, [&dialog] { dialog.Timer1Timer(); });
    EXPECT_EQ(dialog.exec(), 2);
    EXPECT_EQ(dialog.Timer1->interval(), 100);
}

TEST(TForm8Test, SignInThroughTheRealDialogEndsItsRunWithOne) {
    DialogContext around;
    around.install.addDatabase("demo.db");
    around.install.writeBootstrapFile("zor_boot", "boot", "demo.db");
    around.data.ADOCon->setDatabaseFolder(around.install.dataFolder());
    TForm8 dialog(around.context);
    QString statusAfterWrongPassword;
    QTimer::singleShot(0, [&] {
        dialog.Login_Edit->setText("demo");
        dialog.Password_Edit->setText("wrong");
        QTest::keyClick(dialog.Password_Edit, Qt::Key_Return);
        statusAfterWrongPassword = dialog.StatusLabel->text();
        dialog.Password_Edit->setText("demo");
        QTest::keyClick(dialog.Password_Edit, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_FALSE(statusAfterWrongPassword.isEmpty());
    EXPECT_EQ(dialog.AttemptCount, 2);
    EXPECT_TRUE(around.data.ADOCon->isOpen());
    EXPECT_TRUE(around.data.ADOQ_A_Year->isActive());
}
