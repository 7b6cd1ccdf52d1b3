// Editing in the grid widget on the offscreen platform, driven as a user drives it: keys and mouse
// clicks through the window system into a window that holds the grid and a Save button that posts
// the schedule, on the demo database. The error box is the application's own.
#include "columnindex.h"
#include "data/datetimetext.h"
#include "data/qstringprinter.h"
#include "grid/widgets/inplaceedit.h"
#include "grid/widgets/lookuplistpopup.h"
#include "grid/widgets/monthcalendarpopup.h"
#include "grid/widgets/tdbgrid.h"
#include "keymoves.h"
#include "messageboxes.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "userinput.h"

#include <QCalendarWidget>
#include <QClipboard>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSizeGrip>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class GridEditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(720, 330);
        grid = new TDBGrid(&window);
        grid->setObjectName("DBGrid1");
        grid->setGeometry(0, 40, 720, 242);
        save = new QPushButton(QStringLiteral("Сохранить"), &window);
        save->setObjectName("BitBtn1");
        save->setGeometry(10, 292, 100, 30);
        // The Save button's handler posts the schedule and does nothing else.
        QObject::connect(save, &QPushButton::clicked, [this] {
            ++saves;
            db.module.ADOQ_RatingTable->post();
        });
        AddScheduleColumns(grid->model());
        grid->setDataSource(db.module.DS_RatingTable);
        db.openSchedule();
        window.move(20, 20);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return edit()->hasFocus(); }));
    }

    DataSet& schedule() { return *db.module.ADOQ_RatingTable; }
    InplaceEdit* edit() const { return grid->inplaceEditor(); }
    QWindow* handle() { return window.windowHandle(); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Press(handle(), key, modifiers);
    }
    void type(const QString& text) { TypeInto(handle(), text); }
    // A left click as the window system delivers it, at a point of a widget.
    void click(QWidget* widget, const QPoint& at) {
        QWidget* top = widget->window();
        QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at));
    }
    void clickCell(int row, int column) { click(grid->viewport(), grid->cellRect(row, column).center()); }
    void go(int record, int column) { GoWithKeys(handle(), *grid, record, column); }
    int record() const { return grid->model().currentRecord(); }
    int column() const { return grid->model().currentColumn(); }
    QVariant stored(const char* column, int record) { return db.stored(column, db.key(record)); }
    void reopen() {
        schedule().close();
        db.openSchedule();
        grid->setFocus();
    }

    ScheduleDb db;
    MessageBoxes boxes;
    QWidget window;
    TDBGrid* grid = nullptr;
    QPushButton* save = nullptr;
    int saves = 0;
};

TEST_F(GridEditingTest, TabWalksTheEditableCellsPostingRowsAndTheLastRowDoesNotGrow) {
    const struct {
        int record;
        int column;
    } walk[] = {{0, Date}, {0, Time}, {0, Room}};
    for (const auto& cell : walk) {
        press(Qt::Key_Tab);
        EXPECT_EQ(record(), cell.record);
        EXPECT_EQ(column(), cell.column);
        EXPECT_EQ(edit()->selectedText(), edit()->text()) << "the whole text is selected";
        EXPECT_EQ(edit()->geometry(), grid->cellRect(0, cell.column));
    }
    type("Б-1");
    EXPECT_EQ(edit()->text(), "Б-1");
    EXPECT_EQ(grid->model().indicatorGlyph(0), GridModel::Glyph::Edit);
    EXPECT_TRUE(db.saveEnabled);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    EXPECT_EQ(record(), 1);
    EXPECT_EQ(column(), Date);
    EXPECT_EQ(stored("Audience_1", 0).toString(), "Б-1");
    EXPECT_FALSE(db.saveEnabled);

    // On the last row Tab from the last stop posts the row and stays there.
    press(Qt::Key_End, Qt::ControlModifier);
    press(Qt::Key_End);
    type("у");
    press(Qt::Key_Tab);
    EXPECT_EQ(record(), 11);
    EXPECT_EQ(column(), Type);
    EXPECT_EQ(stored("id_typeControl_1", 11).toInt(), 1);
    EXPECT_EQ(grid->model().recordCount(), 12);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_TRUE(edit()->hasFocus()) << "Tab does not leave the grid";
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(GridEditingTest, EscapeRevertsTheCellThenCancelsTheRow) {
    go(0, Time);
    type("13:00");
    ASSERT_EQ(edit()->text(), "13:00");
    press(Qt::Key_Escape);
    EXPECT_EQ(edit()->text(), "08:00");
    EXPECT_EQ(grid->model().indicatorGlyph(0), GridModel::Glyph::Edit);
    press(Qt::Key_Escape);
    EXPECT_EQ(grid->model().indicatorGlyph(0), GridModel::Glyph::Arrow);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(GridEditingTest, EnterTogglesTheSelectionAndNeitherMovesNorPosts) {
    go(2, Room);
    const QString text = edit()->text();
    for (int i = 0; i < 4; ++i) {
        press(Qt::Key_Return);
        const bool selected = i % 2 == 1;
        EXPECT_EQ(edit()->hasSelectedText(), selected) << i;
        if (!selected)
            EXPECT_EQ(edit()->cursorPosition(), text.size()) << i;
    }
    EXPECT_EQ(record(), 2);
    EXPECT_EQ(column(), Room);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(GridEditingTest, TimeTakesTenCharactersAndTheRoomMore) {
    const struct {
        int column;
        const char* typed;
        const char* shown;
    } cases[] = {
        {Time, "12:20-13:50", "12:20-13:5"},
        {Room, "Б-1234567890", "Б-1234567890"},
        {Discipline, "абв", "Архитектура вычислительных систем"},
    };
    for (const auto& c : cases) {
        go(0, c.column);
        type(QString::fromUtf8(c.typed));
        EXPECT_EQ(edit()->text(), QString::fromUtf8(c.shown)) << c.column;
        // The database takes ten characters in a room too: the row is given up, not posted.
        if (c.column != Discipline) {
            press(Qt::Key_Escape);
            press(Qt::Key_Escape);
        }
    }
    EXPECT_TRUE(edit()->isReadOnly());
    // Read-only text can still be selected and copied.
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Архитектура вычислительных систем");
}

TEST_F(GridEditingTest, CtrlApostropheCopiesTheRoomOfTheRowAbove) {
    const QString above = grid->model().cellText(0, Room);
    go(1, Room);
    press(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(edit()->text(), above);
    EXPECT_EQ(edit()->selectedText(), above);
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    // On the first row shown it does nothing.
    press(Qt::Key_Up);
    const QString first = edit()->text();
    press(Qt::Key_Apostrophe, Qt::ControlModifier);
    EXPECT_EQ(edit()->text(), first);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(GridEditingTest, AnUnreadableDateStaysInTheEditorWithTheErrorAndNoMove) {
    go(0, Date);
    type("32.13.2024");
    press(Qt::Key_Tab);
    press(Qt::Key_Down);
    clickCell(3, Room);
    const QString error = "'32.13.2024' is not a valid date and time.";
    EXPECT_EQ(boxes.texts, QStringList({error, error, error}));
    EXPECT_EQ(record(), 0);
    EXPECT_EQ(column(), Date);
    EXPECT_EQ(edit()->text(), "32.13.2024");
    EXPECT_TRUE(grid->cellModified());
}

TEST_F(GridEditingTest, SaveStoresTheTypedDateAndAnUnreadableOneKeepsTheFocusInTheGrid) {
    go(0, Date);
    const QDateTime june(QDate(2024, 6, 3), QTime(9, 30));
    type(DateTimeText(june));
    click(save, QPoint(10, 10));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(stored("Date_1", 0).toDateTime(), june);
    EXPECT_FALSE(db.saveEnabled);
    EXPECT_TRUE(boxes.texts.isEmpty());

    grid->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return edit()->hasFocus(); }));
    type("32.13.2024");
    click(save, QPoint(10, 10));
    QTest::qWait(20);
    EXPECT_EQ(boxes.texts, QStringList{"'32.13.2024' is not a valid date and time."});
    EXPECT_EQ(saves, 1) << "the click that would have taken the focus does not reach the button";
    // The error box took the activation; the window gives the focus back to its focus widget.
    EXPECT_EQ(window.focusWidget(), edit());
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(edit()->hasFocus());
    EXPECT_EQ(edit()->text(), "32.13.2024");
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(stored("Date_1", 0).toDateTime(), june);
    // The error box may come while the button is still held; its release then never arrives.
    QTest::mousePress(handle(), Qt::LeftButton, {}, save->mapTo(&window, QPoint(10, 10)));
    QTest::qWait(20);
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(saves, 1);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // Corrected, the next click saves.
    press(Qt::Key_Escape);
    type(DateTimeText(june.addDays(2)));
    click(save, QPoint(10, 10));
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(stored("Date_1", 0).toDateTime(), june.addDays(2));
}

TEST_F(GridEditingTest, CalendarOpensOnTheDatePicksAtOnceAndCancelsWithoutChange) {
    db.runElsewhere("UPDATE ControlSchedule SET Date_1 = '2023-12-27 10:40:00' WHERE id_schedule = " +
                    db.key(0).toString());
    db.runElsewhere("UPDATE ControlSchedule SET Date_1 = NULL WHERE id_schedule = " + db.key(9).toString());
    reopen();
    ASSERT_TRUE(QTest::qWaitFor([this] { return edit()->hasFocus(); }));

    // An empty date: the button opens today; a click on the 15th stores it at once.
    go(9, Date);
    ASSERT_TRUE(edit()->dropDownButton()->isVisible());
    click(edit()->dropDownButton(), edit()->dropDownButton()->rect().center());
    MonthCalendarPopup* popup = grid->calendarPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->calendar()->selectedDate(), QDate::currentDate());
    EXPECT_EQ(popup->geometry().top(), edit()->mapToGlobal(QPoint(0, edit()->height())).y()) << "below";
    EXPECT_EQ(popup->geometry().left(), edit()->mapToGlobal(QPoint(0, 0)).x());
    auto* view = popup->calendar()->findChild<QTableView*>();
    QModelIndex fifteenth;
    for (int row = 1; row < view->model()->rowCount() && !fifteenth.isValid(); ++row)
        for (int col = 0; col < view->model()->columnCount(); ++col)
            if (view->model()->index(row, col).data().toString() == "15")
                fifteenth = view->model()->index(row, col);
    ASSERT_TRUE(fifteenth.isValid());
    click(view->viewport(), view->visualRect(fifteenth).center());
    const QDate picked(QDate::currentDate().year(), QDate::currentDate().month(), 15);
    EXPECT_EQ(grid->calendarPopup(), nullptr);
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDateTime(), picked.startOfDay());
    EXPECT_EQ(edit()->text(), DateTimeText(picked.startOfDay()));
    EXPECT_EQ(grid->model().indicatorGlyph(9), GridModel::Glyph::Edit);
    EXPECT_TRUE(db.saveEnabled);

    // A date with a time: the stored date; keys go to the calendar and Enter picks.
    go(0, Date);
    EXPECT_EQ(stored("Date_1", 9).toDate(), picked);
    press(Qt::Key_Down, Qt::AltModifier);
    popup = grid->calendarPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->calendar()->selectedDate(), QDate(2023, 12, 27));
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    EXPECT_EQ(popup->calendar()->selectedDate(), QDate(2024, 1, 4));
    press(Qt::Key_Return);
    EXPECT_EQ(grid->calendarPopup(), nullptr);
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDateTime(),
              QDateTime(QDate(2024, 1, 4), QTime(10, 40)));

    // Escape, the button and a click outside close it without a change.
    const QVariant before = db.module.ADOQ_RatingTableDate_1->value();
    const std::function<void()> closers[] = {
        [&] { press(Qt::Key_Escape); },
        [&] { click(edit()->dropDownButton(), edit()->dropDownButton()->rect().center()); },
        [&] { click(grid->viewport(), QPoint(100, 5)); },
    };
    for (const auto& close : closers) {
        press(Qt::Key_Return, Qt::ControlModifier);
        ASSERT_NE(grid->calendarPopup(), nullptr);
        press(Qt::Key_Left);
        close();
        QTest::qWait(1);
        EXPECT_EQ(grid->calendarPopup(), nullptr);
        EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value(), before);
        EXPECT_EQ(record(), 0);
        EXPECT_EQ(column(), Date);
    }
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(GridEditingTest, ListMovesTheTextEscapeRestoresAndAClickPicks) {
    go(0, Type);
    ASSERT_EQ(edit()->text(), "Тестирование");
    press(Qt::Key_Down, Qt::AltModifier);
    LookupListPopup* popup = grid->listPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->list()->count(), 6);
    EXPECT_EQ(popup->list()->currentRow(), 3);
    EXPECT_EQ(popup->rowsShown(), 6) << "as high as the six types";
    EXPECT_EQ(popup->width(), edit()->width());
    press(Qt::Key_Down);
    EXPECT_EQ(edit()->text(), "Компьютерный тест");
    EXPECT_EQ(popup->list()->currentRow(), 4);
    press(Qt::Key_Escape);
    EXPECT_EQ(grid->listPopup(), nullptr);
    EXPECT_EQ(edit()->text(), "Тестирование");
    EXPECT_FALSE(grid->cellModified());
    EXPECT_EQ(schedule().state(), DataSetState::Browse);

    // Typing with the list open completes and moves the list's selection along.
    press(Qt::Key_Down, Qt::AltModifier);
    type("у");
    ASSERT_NE(grid->listPopup(), nullptr);
    EXPECT_EQ(grid->listPopup()->list()->currentRow(), 0);
    EXPECT_EQ(edit()->text(), "Устный");
    press(Qt::Key_Escape);
    EXPECT_EQ(edit()->text(), "Устный") << "the completion is the cell's text";
    press(Qt::Key_Escape);
    EXPECT_EQ(edit()->text(), "Тестирование");

    click(edit()->dropDownButton(), edit()->dropDownButton()->rect().center());
    popup = grid->listPopup();
    ASSERT_NE(popup, nullptr);
    QListWidget* list = popup->list();
    click(list->viewport(), list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(grid->listPopup(), nullptr);
    EXPECT_EQ(edit()->text(), "Письменный");
    EXPECT_TRUE(grid->cellModified());
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    press(Qt::Key_Down, Qt::AltModifier);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(edit()->text(), "Устно-письменный");
    press(Qt::Key_Down);
    EXPECT_EQ(stored("id_typeControl_1", 0).toInt(), 3);
}

TEST_F(GridEditingTest, CompletionInTheControlType) {
    go(0, Type);
    const struct {
        const char* typed;
        bool paste;
        Qt::Key key;
        const char* shown;
        const char* selected;
    } steps[] = {
        {"у", false, Qt::Key_unknown, "Устный", "стный"},
        {"СТНО", false, Qt::Key_unknown, "Устно-письменный", "-письменный"},
        {"ж", false, Qt::Key_unknown, "Устно-письменный", "-письменный"},
        {"", false, Qt::Key_Backspace, "Устно-письменный", ""},
        {"ы", false, Qt::Key_unknown, "Устный", "й"},
        {"", false, Qt::Key_Return, "Устный", "Устный"},
        {"защ", true, Qt::Key_unknown, "Защита работы", "ита работы"},
        {"", false, Qt::Key_Delete, "Защита работы", "ита работы"},
        {"", false, Qt::Key_Return, "Защита работы", "Защита работы"},
        {"тЕСТ", false, Qt::Key_unknown, "Тестирование", "ирование"},
        {"", false, Qt::Key_Return, "Тестирование", "Тестирование"},
        {"", false, Qt::Key_Delete, "", ""},
    };
    int i = 0;
    for (const auto& step : steps) {
        if (step.paste) {
            QGuiApplication::clipboard()->setText(QString::fromUtf8(step.typed));
            press(Qt::Key_V, Qt::ControlModifier);
        } else if (step.key != Qt::Key_unknown) {
            press(step.key);
        } else {
            type(QString::fromUtf8(step.typed));
        }
        EXPECT_EQ(edit()->text(), QString::fromUtf8(step.shown)) << "step " << i;
        EXPECT_EQ(edit()->selectedText(), QString::fromUtf8(step.selected)) << "step " << i;
        ++i;
    }
    press(Qt::Key_Tab);
    EXPECT_EQ(record(), 1);
    EXPECT_TRUE(stored("id_typeControl_1", 0).isNull());
    EXPECT_EQ(grid->model().cellText(0, Type), "");
}

TEST_F(GridEditingTest, TheListKeepsTheSizeGivenWithItsGripForTheNextOpening) {
    go(0, Type);
    press(Qt::Key_Down, Qt::AltModifier);
    LookupListPopup* popup = grid->listPopup();
    ASSERT_NE(popup, nullptr);
    const QSize before = popup->size();
    const int rowHeight = popup->rowHeight();
    QSizeGrip* grip = popup->sizeGrip();
    const QPoint start = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, start);
    QTest::mouseMove(grip, start + QPoint(40, -2 * rowHeight));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(40, -2 * rowHeight));
    EXPECT_EQ(popup->size(), before + QSize(40, -2 * rowHeight));
    press(Qt::Key_Escape);
    ASSERT_EQ(grid->listPopup(), nullptr);
    press(Qt::Key_Down, Qt::AltModifier);
    popup = grid->listPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->rowsShown(), 4);
    EXPECT_EQ(popup->size(), before + QSize(40, -2 * rowHeight));
    press(Qt::Key_Escape);
}

TEST_F(GridEditingTest, ADropDownWithoutRoomBelowOpensAbove) {
    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.left() + 10, screen.bottom() - window.frameGeometry().height() + 1);
    QTest::qWait(1);
    const int last = grid->model().layout().fullRowCount() - 1;
    go(last, Type);
    press(Qt::Key_Down, Qt::AltModifier);
    LookupListPopup* popup = grid->listPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->geometry().bottom() + 1, edit()->mapToGlobal(QPoint(0, 0)).y());
    EXPECT_TRUE(screen.contains(popup->geometry()));
    press(Qt::Key_Escape);
}

TEST_F(GridEditingTest, CtrlFTellsTheOwnerWithTheSelectedText) {
    QSignalSpy asked(grid, &TDBGrid::findRequested);
    go(0, Room);
    press(Qt::Key_F2);
    press(Qt::Key_Left, Qt::ShiftModifier);
    press(Qt::Key_Left, Qt::ShiftModifier);
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked.first().first().toString(), "03");
}

} // namespace
