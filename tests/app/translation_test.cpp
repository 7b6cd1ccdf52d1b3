// The toolkit's own texts (standard buttons, the file dialog) are Russian like the program's, also
// when the user's locale is not. CMake runs these tests under the user's locale and under LANG=C.
#include "app/application.h"
#include "app/toolkittranslation.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

// A button's text as the user reads it: without the ampersand of its keyboard shortcut.
QString shownText(const QAbstractButton* button) {
    return QString(button->text()).remove('&');
}

struct SeenButtons {
    bool shown = false;
    QStringList texts;
};

// Reads the buttons of the message box running when the timer fires, then closes it with
// Cancel, No or OK.
void watchForButtons(SeenButtons& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen.shown = true;
        for (const QMessageBox::StandardButton which :
             {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
            if (QAbstractButton* button = box->button(which))
                seen.texts << shownText(button);
        for (const QMessageBox::StandardButton which :
             {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
            if (QAbstractButton* button = box->button(which)) {
                button->click();
                return;
            }
    });
}

} // namespace

TEST(TranslationTest, TheQuestionBoxAsksWithRussianButtons) {
    const struct {
        int flags;
        QStringList buttons;
    } cases[] = {
        {UserShell::YesNoCancel | UserShell::IconQuestion,
         {QString::fromUtf8("Да"), QString::fromUtf8("Нет"), QString::fromUtf8("Отмена")}},
        {UserShell::YesNo | UserShell::IconQuestion, {QString::fromUtf8("Да"), QString::fromUtf8("Нет")}},
    };
    for (const auto& c : cases) {
        SeenButtons seen;
        watchForButtons(seen);
        Application::instance()->messageBox(QString::fromUtf8("Сохранить изменения?"),
                                            Application::instance()->title(), c.flags);
        ASSERT_TRUE(seen.shown);
        EXPECT_EQ(seen.texts.join(", ").toStdString(), c.buttons.join(", ").toStdString());
    }
}

TEST(TranslationTest, TheErrorBoxHasItsOkButton) {
    SeenButtons seen;
    watchForButtons(seen);
    Application::instance()->showPlainMessage(QString::fromUtf8("Неверный пароль"));
    ASSERT_TRUE(seen.shown);
    // The toolkit's Russian texts keep the Latin "OK".
    EXPECT_EQ(seen.texts.join(", ").toStdString(), "OK");
}

TEST(TranslationTest, TheToolkitsFileDialogSpeaksRussian) {
    QFileDialog dialog(nullptr, QString(), QString(), QStringLiteral("Excel (*.xlsx)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const struct {
        const char* label;
        QString text;
    } labels[] = {
        {"lookInLabel", QString::fromUtf8("Перейти к:")},
        {"fileTypeLabel", QString::fromUtf8("Типы файлов:")},
        {"fileNameLabel", QString::fromUtf8("Имя файла:")},
    };
    for (const auto& l : labels) {
        const auto* label = dialog.findChild<QLabel*>(l.label);
        ASSERT_NE(label, nullptr) << l.label;
        EXPECT_EQ(QString(label->text()).remove('&').toStdString(), l.text.toStdString()) << l.label;
    }
    const auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(shownText(buttons->button(QDialogButtonBox::Cancel)).toStdString(), "Отмена");
}

TEST(TranslationTest, TheToolkitsFileIsTakenFromTheFirstFolderThatHasIt) {
    const QTemporaryDir empty;
    const QString toolkits = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const auto translator = RussianToolkitTranslator({empty.path(), toolkits});
    EXPECT_FALSE(translator->filePath().isEmpty());
    EXPECT_EQ(translator->translate("QFileDialog", "Look in:").toStdString(), "Перейти к:");
    EXPECT_EQ(ToolkitTranslationFolders().value(0),
              QCoreApplication::applicationDirPath() + QStringLiteral("/translations"));
}

// The program carries the toolkit's file itself: a Windows folder holds nothing but the executable.
TEST(TranslationTest, TheProgramCarriesTheToolkitsFile) {
    const QTemporaryDir empty;
    const auto translator = RussianToolkitTranslator({empty.path(), QStringLiteral(":/translations")});
    EXPECT_EQ(translator->filePath().toStdString(), ":/translations/qtbase_ru.qm");
    EXPECT_EQ(translator->translate("QFileDialog", "Look in:").toStdString(), "Перейти к:");
}

// Without the toolkit's file the program's own message boxes still ask in Russian.
TEST(TranslationTest, WithoutTheToolkitsFileTheButtonsAreStillRussian) {
    for (QTranslator* installed : Application::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(installed);
    const QTemporaryDir empty;
    const auto fallback = RussianToolkitTranslator({empty.path()});
    EXPECT_TRUE(fallback->filePath().isEmpty());
    QCoreApplication::installTranslator(fallback.get());
    SeenButtons seen;
    watchForButtons(seen);
    Application::instance()->messageBox(QString::fromUtf8("Сохранить изменения?"),
                                        Application::instance()->title(),
                                        UserShell::YesNoCancel | UserShell::IconQuestion);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.texts.join(", ").toStdString(), "Да, Нет, Отмена");
    QCoreApplication::removeTranslator(fallback.get());
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
