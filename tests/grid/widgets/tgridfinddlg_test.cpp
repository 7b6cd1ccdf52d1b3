// The find dialog over the grid on the demo schedule, on the offscreen platform: its window, opening
// with the selected text around the current column, Find next by the button and by Enter with and
// without Ctrl, "not found", Escape and "Close", the choices and history that stay for the run.
#include "grid/tgridcolumn.h"
#include "grid/widgets/tdbgrid.h"
#include "grid/widgets/tgridfinddlg.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "support/errortext.h"
#include "support/showntext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSizeGrip>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString AllEntry = "<All>";

// The demo group's schedule as the grid shows it, with "курсовой" in the discipline of the third
// and the fifth record only.
class TGridFindDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.addCourseworkToTwoDisciplines();
        AddScheduleColumns(grid.model());
        grid.setDataSource(db.module.DS_RatingTable);
        grid.setObjectName("DBGrid1");
        grid.resize(870, 242);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        db.openSchedule();
        dialog = TGridFindDlg::Instance(&grid);
        dialog->setPlainMessage([this](const QString& text) { messages << text; });
    }

    GridModel& model() { return grid.model(); }

    // Opens the dialog as Ctrl+F does, without the modal loop, and waits until it has the focus.
    void open(const QString& text) {
        dialog->Prepare(grid, text);
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        ASSERT_TRUE(QTest::qWaitFor([&] { return focused() == dialog->cbText; }));
    }
    // Hides the dialog as closing does, and gives the grid's window back its activation.
    void close() {
        dialog->hide();
        grid.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    }
    QWidget* focused() const { return QApplication::focusWidget(); }
    // A key as the user presses it: to the widget that has the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(focused(), key, modifiers);
    }
    // Typing, Cyrillic included.
    void type(const QString& text) {
        for (const QChar character : text)
            QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(character), {});
    }
    void choose(QComboBox* box, const QString& item) {
        const int index = box->findText(item);
        ASSERT_GE(index, 0) << item.toStdString();
        box->setCurrentIndex(index);
    }
    void clickFind(Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(dialog->bFind, Qt::LeftButton, modifiers);
    }
    QStringList items(const QComboBox* box) const {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
    // Where the grid stands: record and column.
    std::pair<int, int> cell() const { return {grid.model().currentRecord(), grid.model().currentColumn()}; }

    ScheduleDb db;
    TDBGrid grid;
    TGridFindDlg* dialog = nullptr;
    QStringList messages;
};

TEST_F(TGridFindDlgTest, WindowHasItsControlsCaptionsItemsAndTabOrder) {
    EXPECT_EQ(dialog->objectName(), "GridFindDlg");
    EXPECT_EQ(dialog->windowTitle(), "Find text");
    EXPECT_EQ(dialog->size(), QSize(505, 124));
    EXPECT_EQ(dialog->minimumSize(), QSize(505, 124));
    EXPECT_EQ(dialog->maximumSize(), QSize(505, 124));
    EXPECT_EQ(dialog->font().family(), "MS Sans Serif");
    EXPECT_EQ(dialog->font().pixelSize(), 10);

    const struct {
        const char* name;
        const char* kind;
        QRect box;
        const char* caption;
    } controls[] = {
        {"Label1", "QLabel", {10, 12, 52, 13}, "Fi&nd What:"},
        {"cbText", "QComboBox", {88, 9, 316, 21}, ""},
        {"Label2", "QLabel", {10, 35, 34, 13}, "Find &in:"},
        {"cbFindIn", "QComboBox", {88, 32, 192, 21}, ""},
        {"cbMatchType", "QLabel", {10, 58, 33, 13}, "Matc&h:"},
        {"cbMatchinType", "QComboBox", {88, 55, 144, 21}, "From any part of field"},
        {"Label3", "QLabel", {10, 82, 37, 13}, "Sea&rch:"},
        {"cbFindDirection", "QComboBox", {88, 79, 144, 21}, "All"},
        {"cbCharCase", "QCheckBox", {88, 105, 144, 14}, "Match &Case"},
        {"cbUseFormat", "QCheckBox", {260, 105, 144, 14}, "Match F&ormat"},
        {"bFind", "QPushButton", {413, 9, 82, 23}, "&Find next"},
        {"bCancel", "QPushButton", {413, 37, 82, 22}, "Close"},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        const QWidget* control = dialog->findChild<QWidget*>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_STREQ(control->metaObject()->className(), c.kind);
        EXPECT_EQ(control->pos(), c.box.topLeft());
        EXPECT_EQ(control->height(), c.box.height());
        QString caption;
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            caption = label->text();
            // A label takes the width its text needs in the font at hand, never less than designed,
            // and ends before the controls.
            EXPECT_GE(label->width(), c.box.width());
            EXPECT_GE(label->width(), label->sizeHint().width());
            EXPECT_LT(label->geometry().right(), 88);
        } else {
            EXPECT_EQ(control->width(), c.box.width());
            if (const auto* box = qobject_cast<const QComboBox*>(control))
                caption = box->currentText();
            else if (const auto* button = qobject_cast<const QAbstractButton*>(control))
                caption = button->text();
        }
        EXPECT_EQ(caption, c.caption);
    }
    EXPECT_EQ(items(dialog->cbMatchinType),
              (QStringList{"From any part of field", "Whole field", "From beging of field"}));
    EXPECT_EQ(items(dialog->cbFindDirection), (QStringList{"Up", "Down", "All"}));
    EXPECT_FALSE(dialog->cbCharCase->isChecked());
    EXPECT_TRUE(dialog->cbUseFormat->isChecked());
    EXPECT_TRUE(dialog->cbText->isEditable());
    EXPECT_FALSE(dialog->cbFindIn->isEditable());
    EXPECT_EQ(dialog->cbText->maxVisibleItems(), 17);
    EXPECT_EQ(dialog->cbFindIn->maxVisibleItems(), 17);

    // The captions of the buttons and boxes fit them.
    const QFontMetrics metrics(dialog->font());
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        EXPECT_LE(button->sizeHint().width(), button->width()) << button->objectName().toStdString();
    for (const QComboBox* box : {dialog->cbMatchinType, dialog->cbFindDirection})
        for (const QString& item : items(box))
            EXPECT_LE(metrics.horizontalAdvance(item) + 30, box->width()) << item.toStdString();

    // Tab order, from the search-for box round to it again.
    open("x");
    QStringList order;
    for (int i = 0; i < 9; ++i) {
        QWidget* widget = focused();
        order << (qobject_cast<QLineEdit*>(widget) ? widget->parentWidget() : widget)->objectName();
        press(Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"cbText", "cbFindIn", "cbMatchinType", "cbFindDirection", "cbCharCase",
                                  "cbUseFormat", "bFind", "bCancel", "cbText"}));
}

TEST_F(TGridFindDlgTest, OpensWithTheSelectedTextOnTheCurrentColumnAndDownFindsThatCellAtOnce) {
    model().moveToRecord(3);
    model().setCurrentColumn(0);
    open(model().displayText(0));
    EXPECT_EQ(dialog->cbText->currentText(), "Высшая математика");
    EXPECT_EQ(dialog->cbText->lineEdit()->selectedText(), "Высшая математика");
    QStringList entries;
    for (const TGridColumn* column : model().columns())
        entries << column->caption();
    entries << AllEntry;
    EXPECT_EQ(items(dialog->cbFindIn), entries);
    EXPECT_EQ(dialog->cbFindIn->currentText(), "Дисциплина");
    // The list shows the two-level captions whole, though the box is narrower.
    const QAbstractItemView* list = dialog->cbFindIn->view();
    EXPECT_GT(list->minimumWidth(),
              QFontMetrics(list->font()).horizontalAdvance(model().column(7)->caption()));
    EXPECT_EQ(dialog->search().searchColumns(), QList<int>{0});

    choose(dialog->cbFindDirection, "Down");
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(3, 0));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(dialog->isVisible());

    // Opening on another column chooses its full caption.
    close();
    model().setCurrentColumn(6);
    open(model().displayText(6));
    EXPECT_EQ(dialog->cbFindIn->currentText(), "Компьютерное, бланочное тестирование|Аудитория");
    EXPECT_EQ(dialog->search().searchColumns(), QList<int>{6});
}

TEST_F(TGridFindDlgTest, FindNextLandsOnEachMatchThenSaysNotFoundAndLeavesTheGridOnTheLast) {
    model().setCurrentColumn(3);
    open("курсовой");
    choose(dialog->cbFindIn, AllEntry);
    choose(dialog->cbFindDirection, "Down");
    clickFind();
    EXPECT_EQ(cell(), std::make_pair(2, 0));
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(4, 0));
    EXPECT_TRUE(messages.isEmpty());
    clickFind();
    EXPECT_EQ(messages, QStringList{"String \"курсовой\" not found."});
    EXPECT_EQ(cell(), std::make_pair(4, 0));
    EXPECT_TRUE(dialog->isVisible());
    // The grid shows the found record in its current row.
    EXPECT_GE(model().rowOfRecord(4), 0);
}

// The message box of a search that found nothing shows the search text as it was typed, never
// read as markup.
TEST_F(TGridFindDlgTest, NotFoundBoxShowsTheSearchTextAsItIs) {
    TGridFindDlg own(&grid); // with its own message box
    own.Prepare(grid, QString());
    for (const QString& text : MarkupLikeTexts) {
        SCOPED_TRACE(text.toStdString());
        own.search().setText(text);
        bool seen = false;
        QString shown;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            seen = true;
            icon = box->icon();
            if (const auto* label = box->findChild<QLabel*>("qt_msgbox_label"))
                shown = ShownText(*label);
            box->done(QMessageBox::Ok);
        });
        own.FindNext(false);
        ASSERT_TRUE(seen);
        EXPECT_EQ(shown, "String \"" + text + "\" not found.");
        EXPECT_EQ(icon, QMessageBox::NoIcon);
    }
}

// The drop-down lists of the search-for and the find-in box open 17 rows high and take the size the
// user drags them to with the grip at their bottom right corner, for the rest of the run.
TEST_F(TGridFindDlgTest, DropDownListsOfTheTextAndFindInBoxesAreResizable) {
    open("курсовой");
    for (int i = 0; i < 25; ++i)
        dialog->cbText->addItem(QStringLiteral("text %1").arg(i));
    for (QComboBox* box : {dialog->cbText, dialog->cbFindIn}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->showPopup();
        QAbstractItemView* list = box->view();
        QWidget* popup = list->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
        ASSERT_NE(popup, dialog);
        if (box == dialog->cbText)
            EXPECT_EQ(list->viewport()->height() / list->sizeHintForRow(0), 17) << "rows shown";
        auto* grip = popup->findChild<QSizeGrip*>();
        ASSERT_NE(grip, nullptr);
        EXPECT_TRUE(grip->isVisible());
        const QRect corner(popup->mapToGlobal(QPoint(popup->width() - 20, popup->height() - 20)),
                           QSize(20, 20));
        EXPECT_TRUE(corner.contains(grip->mapToGlobal(grip->rect().center()))) << "at the bottom right";
        const QSize before = popup->size();
        const int listWidth = list->width();
        const QPoint start = grip->rect().center();
        const QPoint end = start + QPoint(60, -40);
        QTest::mousePress(grip, Qt::LeftButton, {}, start);
        QTest::mouseMove(grip, end);
        QTest::mouseRelease(grip, Qt::LeftButton, {}, end);
        EXPECT_EQ(popup->size(), before + QSize(60, -40));
        EXPECT_TRUE(popup->isVisible()) << "the drag does not close the list";
        EXPECT_EQ(list->width(), listWidth + 60) << "the list follows";
        box->hidePopup();
        box->showPopup();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(box->view()->window()));
        EXPECT_EQ(box->view()->window()->size(), before + QSize(60, -40)) << "kept for the next opening";
        box->hidePopup();
    }
}

TEST_F(TGridFindDlgTest, AllStartsAtTheFirstRecordAndCtrlTurnsTheDirectionRound) {
    const struct {
        const char* direction;
        int startRecord;
        // Each Find next: by Enter or by the button, with Ctrl or not, and the record found
        // (-1: not found, the grid back on the record before).
        struct Step {
            bool button;
            bool ctrl;
            int record;
        } steps[4];
    } cases[] = {
        {"All", 8, {{false, false, 2}, {true, false, 4}, {false, false, -1}, {false, true, 2}}},
        {"Up", 8, {{false, false, 4}, {true, false, 2}, {false, false, -1}, {true, true, 4}}},
        {"Down", 5, {{false, true, 4}, {true, true, 2}, {false, false, 4}, {true, false, -1}}},
        {"All", 5, {{false, true, -1}, {true, true, -1}, {false, false, 2}, {true, true, -1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.direction) + " from " + std::to_string(c.startRecord));
        model().moveToRecord(c.startRecord);
        open("курсовой");
        choose(dialog->cbFindIn, AllEntry);
        choose(dialog->cbFindDirection, c.direction);
        int record = c.startRecord;
        for (const auto& step : c.steps) {
            messages.clear();
            const Qt::KeyboardModifiers modifiers = step.ctrl ? Qt::ControlModifier : Qt::NoModifier;
            if (step.button)
                clickFind(modifiers);
            else
                press(Qt::Key_Return, modifiers);
            if (step.record >= 0)
                record = step.record;
            EXPECT_EQ(model().currentRecord(), record);
            EXPECT_EQ(messages.size(), step.record < 0 ? 1 : 0);
        }
        close();
    }
}

TEST_F(TGridFindDlgTest, ChangingTheFindInChoiceOrTheTextStartsAgainFromTheCurrentRecord) {
    open("курсовой");
    choose(dialog->cbFindIn, AllEntry);
    choose(dialog->cbFindDirection, "Down");
    press(Qt::Key_Return);
    ASSERT_EQ(cell(), std::make_pair(2, 0));
    // Another find-in choice, picked with the keyboard in the find-in box.
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), dialog->cbFindIn);
    press(Qt::Key_Home);
    EXPECT_EQ(dialog->cbFindIn->currentText(), "Дисциплина");
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(2, 0));
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(4, 0));
    // Another text, typed.
    press(Qt::Key_Backtab);
    ASSERT_EQ(focused(), dialog->cbText);
    dialog->cbText->lineEdit()->selectAll();
    type("Деловой");
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(4, 0));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(TGridFindDlgTest, EnterInAnOpenDropDownListPicksTheEntryAndDoesNotSearch) {
    model().setCurrentColumn(0);
    open("курсовой");
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), dialog->cbFindIn);
    dialog->cbFindIn->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
    press(Qt::Key_End);
    press(Qt::Key_Return);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(dialog->cbFindIn->currentText(), AllEntry);
    EXPECT_TRUE(dialog->search().history().isEmpty());
    EXPECT_EQ(cell(), std::make_pair(0, 0));
    // With the list closed, Enter searches.
    press(Qt::Key_Return);
    EXPECT_EQ(cell(), std::make_pair(2, 0));
}

TEST_F(TGridFindDlgTest, CaseBoxDecidesWhetherLowerCaseCyrillicFindsCapitals) {
    for (const bool matchCase : {false, true}) {
        SCOPED_TRACE(matchCase);
        model().moveToRecord(0);
        model().setCurrentColumn(0);
        open("иностранный");
        choose(dialog->cbFindDirection, "Down");
        if (dialog->cbCharCase->isChecked() != matchCase)
            QTest::mouseClick(dialog->cbCharCase, Qt::LeftButton);
        ASSERT_EQ(dialog->search().matchCase(), matchCase);
        press(Qt::Key_Return);
        EXPECT_EQ(model().currentRecord(), 4);
        messages.clear();
        press(Qt::Key_Return);
        EXPECT_EQ(model().currentRecord(), matchCase ? 4 : 5);
        EXPECT_EQ(messages.size(), matchCase ? 1 : 0);
        close();
    }
}

TEST_F(TGridFindDlgTest, MatchBoxWithAnEmptyText) {
    db.runElsewhere("UPDATE ControlSchedule SET Audience_1 = NULL WHERE id_schedule = " +
                    db.key(9).toString());
    db.module.ADOQ_RatingTable->close();
    db.openSchedule();
    const struct {
        const char* match;
        int record; // -1: not found
        int column;
    } cases[] = {
        {"From any part of field", -1, 0},
        {"Whole field", 9, 6},
        {"From beging of field", 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.match);
        model().moveToRecord(3);
        model().setCurrentColumn(5);
        open("");
        choose(dialog->cbFindIn, AllEntry);
        choose(dialog->cbFindDirection, "Down");
        choose(dialog->cbMatchinType, c.match);
        messages.clear();
        press(Qt::Key_Return);
        if (c.record < 0) {
            EXPECT_EQ(messages, QStringList{"String \"\" not found."});
            EXPECT_EQ(cell(), std::make_pair(3, 5));
        } else {
            EXPECT_TRUE(messages.isEmpty());
            EXPECT_EQ(cell(), std::make_pair(c.record, c.column));
        }
        close();
    }
}

TEST_F(TGridFindDlgTest, OneDialogKeepsItsChoicesAndItsHistoryBetweenOpenings) {
    open("Физика");
    choose(dialog->cbMatchinType, "Whole field");
    choose(dialog->cbFindDirection, "Down");
    QTest::mouseClick(dialog->cbCharCase, Qt::LeftButton);
    QTest::mouseClick(dialog->cbUseFormat, Qt::LeftButton);
    dialog->cbText->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return focused() == dialog->cbText; }));
    for (const char* text : {"Физика", "ФИЗИКА", "Спортзал", "физика", "1-115"}) {
        dialog->cbText->lineEdit()->selectAll();
        type(QString::fromUtf8(text));
        press(Qt::Key_Return);
        EXPECT_EQ(dialog->cbText->currentText(), QString::fromUtf8(text));
    }
    EXPECT_EQ(items(dialog->cbText), (QStringList{"Физика", "Спортзал", "1-115"}));
    press(Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), 2);
    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));

    model().setCurrentColumn(2);
    EXPECT_EQ(TGridFindDlg::Instance(&grid), dialog);
    EXPECT_EQ(GridFindDlg, dialog);
    open("Ершова");
    EXPECT_EQ(dialog->cbText->currentText(), "Ершова");
    EXPECT_EQ(items(dialog->cbText), (QStringList{"Физика", "Спортзал", "1-115"}));
    EXPECT_EQ(dialog->cbMatchinType->currentText(), "Whole field");
    EXPECT_EQ(dialog->cbFindDirection->currentText(), "Down");
    EXPECT_TRUE(dialog->cbCharCase->isChecked());
    EXPECT_FALSE(dialog->cbUseFormat->isChecked());
    EXPECT_EQ(dialog->cbFindIn->currentText(), "Ф.И.О. -экзаменатора");
    EXPECT_TRUE(dialog->search().freshSearch());
    // A text picked from the history is searched for.
    dialog->cbText->setCurrentIndex(1);
    EXPECT_EQ(dialog->search().text(), "Спортзал");
}

TEST_F(TGridFindDlgTest, ExecuteRunsModallyAndEscapeOrCloseEndsItWithTwoWhereTheSearchLeftTheGrid) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "Close");
        model().moveToRecord(0);
        model().setCurrentColumn(0);
        bool modal = false;
        QTimer::singleShot(0, [&] {
            modal = QApplication::activeModalWidget() == GridFindDlg;
            choose(GridFindDlg->cbFindIn, AllEntry);
            choose(GridFindDlg->cbFindDirection, "Down");
            GridFindDlg->cbText->setEditText("курсовой");
            QTest::keyClick(GridFindDlg->cbText->lineEdit(), Qt::Key_Return);
            if (escape)
                QTest::keyClick(GridFindDlg->cbText->lineEdit(), Qt::Key_Escape);
            else
                QTest::mouseClick(GridFindDlg->bCancel, Qt::LeftButton);
        });
        EXPECT_EQ(TGridFindDlg::Execute(grid, "x"), 2);
        EXPECT_TRUE(modal);
        EXPECT_EQ(cell(), std::make_pair(2, 0));
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(TGridFindDlgTest, AccessKeysOfTheButtonsPressThemThoseOfTheLabelsDoNothing) {
    model().setCurrentColumn(0);
    open("Физика");
    for (const Qt::Key key : {Qt::Key_N, Qt::Key_I, Qt::Key_H, Qt::Key_R}) {
        press(key, Qt::AltModifier);
        QApplication::processEvents();
        EXPECT_EQ(focused(), dialog->cbText);
    }
    EXPECT_EQ(model().currentRecord(), 0);
    EXPECT_TRUE(dialog->search().history().isEmpty());
    press(Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model().currentRecord() == 9; }));
    EXPECT_EQ(dialog->search().history(), QStringList{"Физика"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(TGridFindDlgTest, NothingHappensWithoutAnOpenScheduleAndPostingErrorsReachTheCaller) {
    open("Физика");
    db.module.ADOQ_RatingTable->close();
    press(Qt::Key_Return);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(items(dialog->cbText), QStringList{"Физика"});

    db.openSchedule();
    model().moveToRecord(2);
    db.runElsewhere("UPDATE ControlSchedule SET Time_1 = '07:45' WHERE id_schedule = " +
                    db.key(2).toString());
    db.module.ADOQ_RatingTable->edit();
    db.module.ADOQ_RatingTableTime_1->setAsString("16:20");
    dialog->cbText->setEditText("Смит");
    EXPECT_EQ(ErrorText([&] { dialog->FindNext(false); }).left(20), "Строка не сохранена:");
    EXPECT_EQ(model().currentRecord(), 2);
    EXPECT_FALSE(db.module.ADOQ_RatingTable->controlsDisabled());
    EXPECT_EQ(items(dialog->cbText), (QStringList{"Физика", "Смит"}));
    EXPECT_TRUE(messages.isEmpty());
}

} // namespace
