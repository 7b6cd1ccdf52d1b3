// Editing in the grid without a display, on the demo schedule: the keys' moves (posting on a row
// move, the refused append), typing under each column's rules, writing and reverting the cell,
// Ctrl+', the logic of the calendar and of the list of control types, and typing completion.
#include "columnindex.h"
#include "data/datetimetext.h"
#include "fixedmeasure.h"
#include "grid/celleditor.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "keymodifiers.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "support/errortext.h"

#include <gtest/gtest.h>

namespace {

class CellEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddScheduleColumns(grid);
        grid.setTextMeasure(&measure);
        grid.setDataSource(db.module.DS_RatingTable);
        grid.setArea(866, 400, 17);
        db.openSchedule();
    }

    DataSet& schedule() { return *db.module.ADOQ_RatingTable; }
    void press(int key, Qt::KeyboardModifiers modifiers = None) { editor.keyPress(key, modifiers); }
    void go(int record, int column) {
        grid.moveToRecord(record);
        grid.setCurrentColumn(column);
    }
    QString text() const { return editor.editor().text(); }
    QVariant stored(const char* column, int record) { return db.stored(column, db.key(record)); }
    // Reads the schedule again after changes made elsewhere.
    void reopen() {
        schedule().close();
        db.openSchedule();
    }

    ScheduleDb db;
    FixedMeasure measure;
    GridModel grid;
    CellEditor editor{grid};
};

TEST_F(CellEditorTest, KeysMoveTheCurrentCellAndTabVisitsTheEditableColumns) {
    grid.setArea(866, 200, 17);
    const int page = grid.layout().fullRowCount();
    ASSERT_GE(page, 3);
    ASSERT_LE(page, 8);
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int record;
        int column;
        const char* what;
    } steps[] = {
        {Qt::Key_Tab, None, 0, Date, "Tab from Discipline: the first editable column"},
        {Qt::Key_Tab, None, 0, Time, "Tab"},
        {Qt::Key_Tab, None, 0, Room, "Tab"},
        {Qt::Key_Tab, None, 0, Type, "Tab"},
        {Qt::Key_Tab, None, 1, Date, "Tab past the last stop: the next row's first stop"},
        {Qt::Key_Backtab, Shift, 0, Type, "Shift+Tab before the first stop: the previous row's last"},
        {Qt::Key_Right, None, 0, Type, "no wrap to another row"},
        {Qt::Key_Left, None, 0, Room, "Left with the whole text selected"},
        {Qt::Key_Home, None, 0, Discipline, "Home: the first column"},
        {Qt::Key_End, None, 0, Type, "End: the last column"},
        {Qt::Key_Left, Ctrl, 0, Discipline, "Ctrl+Left: the first column"},
        {Qt::Key_Right, Ctrl, 0, Type, "Ctrl+Right: the last column"},
        {Qt::Key_Down, None, 1, Type, "Down"},
        {Qt::Key_PageDown, None, 1 + page, Type, "Page Down: the rows shown"},
        {Qt::Key_Up, Ctrl, 2, Type, "Ctrl+Up: the first row shown"},
        {Qt::Key_Down, Ctrl, 1 + page, Type, "Ctrl+Down: the last row shown"},
        {Qt::Key_PageUp, None, 1, Type, "Page Up"},
        {Qt::Key_End, Ctrl, 11, Type, "Ctrl+End: the last record"},
        {Qt::Key_Up, None, 10, Type, "Up"},
        {Qt::Key_Home, Ctrl, 0, Type, "Ctrl+Home: the first record"},
        {Qt::Key_Up, None, 0, Type, "Up on the first row stays"},
    };
    for (const auto& step : steps) {
        press(step.key, step.modifiers);
        EXPECT_EQ(grid.currentRecord(), step.record) << step.what;
        EXPECT_EQ(grid.currentColumn(), step.column) << step.what;
        EXPECT_TRUE(editor.editor().wholeSelected()) << step.what;
    }
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(CellEditorTest, RowMovesPostTheRowAndTheLastRowRefusesToGrow) {
    go(10, Room);
    EXPECT_TRUE(editor.typeText("2-2"));
    EXPECT_EQ(text(), "2-2");
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_TRUE(db.saveEnabled);
    press(Qt::Key_Tab);
    // The column move wrote the cell into the row; the row move posts it.
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(db.module.ADOQ_RatingTableAudience_1->asString(), "2-2");
    EXPECT_EQ(stored("Audience_1", 10).toString(), "Спортзал");
    press(Qt::Key_Tab);
    EXPECT_EQ(grid.currentRecord(), 11);
    EXPECT_EQ(grid.currentColumn(), Date);
    EXPECT_EQ(stored("Audience_1", 10).toString(), "2-2");
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_FALSE(db.saveEnabled);

    // Down on the last row posts the typed time and adds no row.
    press(Qt::Key_Tab);
    editor.typeText("16:00");
    press(Qt::Key_Down);
    EXPECT_EQ(stored("Time_1", 11).toString(), "16:00");
    EXPECT_EQ(grid.currentRecord(), 11);
    EXPECT_EQ(grid.recordCount(), 12);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    // Tab from the last stop of the last row posts and stays.
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    editor.typeText("Защ");
    press(Qt::Key_Tab);
    EXPECT_EQ(stored("id_typeControl_1", 11).toInt(), 6);
    EXPECT_EQ(grid.currentRecord(), 11);
    EXPECT_EQ(grid.currentColumn(), Type);
    // Insert posts as well, and adds nothing.
    press(Qt::Key_Left);
    editor.typeText("3-3");
    press(Qt::Key_Insert);
    EXPECT_EQ(stored("Audience_1", 11).toString(), "3-3");
    EXPECT_EQ(grid.recordCount(), 12);
    EXPECT_FALSE(db.saveEnabled);
}

TEST_F(CellEditorTest, TypingFollowsTheColumnsRules) {
    go(0, Discipline);
    EXPECT_TRUE(editor.editorReadOnly());
    for (const auto& attempt : std::initializer_list<std::function<void()>>{
             [&] { editor.typeText("x"); }, [&] { press(Qt::Key_Delete); }, [&] { press(Qt::Key_Backspace); },
             [&] { editor.paste("x"); }, [&] { editor.cut(); }})
        attempt();
    EXPECT_EQ(text(), "Архитектура вычислительных систем");
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_FALSE(db.saveEnabled);

    // Time_1 (8-bit text of 10) takes ten characters; Audience_1 (Unicode) has no limit.
    go(0, Time);
    EXPECT_EQ(editor.maxLength(), 10);
    editor.typeText("12:20-13:50");
    EXPECT_EQ(text(), "12:20-13:5");
    EXPECT_FALSE(editor.typeText("0"));
    go(0, Room);
    EXPECT_EQ(editor.maxLength(), 0);
    editor.typeText("Б-1234567890");
    EXPECT_EQ(text(), "Б-1234567890");
    // Paste takes the first line; Backspace and Delete work on the text.
    editor.setSelection(2, 12);
    editor.paste("210\nsecond line");
    EXPECT_EQ(text(), "Б-210");
    press(Qt::Key_Backspace);
    editor.setSelection(0, 0);
    press(Qt::Key_Delete);
    EXPECT_EQ(text(), "-21");
    EXPECT_EQ(editor.cut(), QString()) << "nothing selected";
    EXPECT_EQ(editor.editor().cursor(), 0);

    // On an empty schedule typing adds no row and changes nothing.
    schedule().close();
    db.openSchedule(999);
    EXPECT_FALSE(editor.shown());
    EXPECT_FALSE(editor.typeText("1"));
    EXPECT_EQ(grid.recordCount(), 0);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(CellEditorTest, EscapeRevertsTheCellThenCancelsTheRow) {
    go(0, Time);
    editor.typeText("13:00");
    ASSERT_TRUE(editor.modified());
    press(Qt::Key_Escape);
    EXPECT_EQ(text(), "08:00");
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(grid.indicatorGlyph(0), GridModel::Glyph::Edit);
    press(Qt::Key_Escape);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_EQ(grid.indicatorGlyph(0), GridModel::Glyph::Arrow);
    // A cell written by a column move goes with the row's cancel.
    editor.typeText("13:00");
    press(Qt::Key_Right);
    press(Qt::Key_Left);
    EXPECT_EQ(text(), "13:00");
    press(Qt::Key_Escape);
    EXPECT_EQ(text(), "08:00");
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(CellEditorTest, EnterAndF2OnlyChangeTheSelection) {
    go(3, Room);
    press(Qt::Key_Return);
    EXPECT_TRUE(editor.editor().caretAtEnd());
    press(Qt::Key_Return);
    EXPECT_TRUE(editor.editor().wholeSelected());
    press(Qt::Key_F2);
    EXPECT_TRUE(editor.editor().caretAtEnd());
    EXPECT_EQ(grid.currentRecord(), 3);
    EXPECT_EQ(grid.currentColumn(), Room);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(CellEditorTest, CtrlApostropheCopiesFromTheRowShownAbove) {
    const QString roomAbove = grid.cellText(0, Room);
    go(1, Room);
    press(Qt::Key_Apostrophe, Ctrl);
    EXPECT_EQ(text(), roomAbove);
    EXPECT_TRUE(editor.editor().wholeSelected());
    EXPECT_EQ(db.module.ADOQ_RatingTableAudience_1->asString(), roomAbove);
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    // The control type copies its key.
    press(Qt::Key_Right);
    press(Qt::Key_Apostrophe, Ctrl);
    EXPECT_EQ(db.module.ADOQ_RatingTableid_typeControl_1->value(),
              db.module.ADOQ_RatingTableid_typeControl_1->valueAt(0));
    EXPECT_EQ(text(), grid.cellText(0, Type));
    schedule().post();

    // Nothing on the first row shown, even when it is not the first record, nor on read-only columns.
    grid.setArea(866, 200, 17);
    grid.moveToRecord(8);
    const int top = grid.topRecord();
    ASSERT_GT(top, 0);
    for (const auto& [record, column] : {std::pair{top, int(Room)}, std::pair{top + 1, int(Kafedra)}}) {
        go(record, column);
        const QString before = text();
        press(Qt::Key_Apostrophe, Ctrl);
        EXPECT_EQ(text(), before) << record;
        EXPECT_EQ(schedule().state(), DataSetState::Browse) << record;
    }
}

TEST_F(CellEditorTest, AnUnreadableDateStaysInTheCellWithTheError) {
    go(0, Date);
    editor.typeText("32.13.2024");
    const QString error = "'32.13.2024' is not a valid date and time";
    EXPECT_EQ(ErrorText([&] { press(Qt::Key_Tab); }), error);
    EXPECT_EQ(grid.currentColumn(), Date);
    EXPECT_EQ(ErrorText([&] { press(Qt::Key_Down); }), error);
    EXPECT_EQ(grid.currentRecord(), 0);
    // What the Save button does: post, which writes the cell first.
    EXPECT_EQ(ErrorText([&] { schedule().post(); }), error);
    EXPECT_EQ(text(), "32.13.2024");
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    press(Qt::Key_Escape);
    EXPECT_FALSE(editor.modified());

    // A readable date typed and not yet written is stored by the post.
    const QDateTime june(QDate(2024, 6, 3), QTime(9, 30));
    editor.typeText(DateTimeText(june));
    EXPECT_TRUE(editor.modified());
    editor.writeCell();
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDateTime(), june);
    press(Qt::Key_Return);
    editor.typeText(DateTimeText(june.addDays(1)));
    schedule().post();
    EXPECT_EQ(stored("Date_1", 0).toDateTime(), june.addDays(1));
    EXPECT_FALSE(db.saveEnabled);
    // An empty text stores Null.
    editor.typeText("x");
    press(Qt::Key_Backspace);
    schedule().post();
    EXPECT_TRUE(stored("Date_1", 0).isNull());
}

TEST_F(CellEditorTest, CalendarOpensOnTheCellsDateAndStoresThePickAtOnce) {
    db.runElsewhere("UPDATE ControlSchedule SET Date_1 = '2023-12-27 10:40:00' WHERE id_schedule = " +
                    db.key(0).toString());
    db.runElsewhere("UPDATE ControlSchedule SET Date_1 = NULL WHERE id_schedule = " + db.key(9).toString());
    reopen();
    // An empty date: today; picking stores the day at once and puts the row into edit.
    go(9, Date);
    editor.dropDown();
    ASSERT_EQ(editor.openDropDown(), CellEditor::DropDown::Calendar);
    EXPECT_EQ(editor.calendarDate(), QDate::currentDate());
    editor.setCalendarDate(QDate(2024, 1, 10));
    editor.acceptDropDown();
    EXPECT_EQ(editor.openDropDown(), CellEditor::DropDown::None);
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDateTime(),
              QDateTime(QDate(2024, 1, 10), QTime(0, 0)));
    EXPECT_EQ(text(), DateTimeText(QDateTime(QDate(2024, 1, 10), QTime(0, 0))));
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_TRUE(db.saveEnabled);

    // A date with a time of day: the stored date; Enter picks, the time of day stays.
    go(0, Date);
    EXPECT_EQ(stored("Date_1", 9).toDateTime(), QDateTime(QDate(2024, 1, 10), QTime(0, 0)));
    press(Qt::Key_Down, Alt);
    EXPECT_EQ(editor.calendarDate(), QDate(2023, 12, 27));
    editor.setCalendarDate(QDate(2023, 12, 29));
    press(Qt::Key_Return);
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDateTime(),
              QDateTime(QDate(2023, 12, 29), QTime(10, 40)));

    // Escape changes nothing.
    press(Qt::Key_Return, Ctrl);
    editor.setCalendarDate(QDate(2020, 1, 1));
    press(Qt::Key_Escape);
    EXPECT_EQ(editor.openDropDown(), CellEditor::DropDown::None);
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDate(), QDate(2023, 12, 29));

    // Typed text read as a date alone; text that is none gives the field's date.
    const struct {
        QString typed;
        QDate opens;
    } texts[] = {
        {DateTimeText(QDateTime(QDate(2024, 2, 5), QTime(0, 0))), QDate(2024, 2, 5)},
        {"завтра", QDate(2023, 12, 29)},
    };
    for (const auto& t : texts) {
        editor.typeText(t.typed);
        editor.dropDown();
        EXPECT_EQ(editor.calendarDate(), t.opens) << t.typed.toStdString();
        editor.cancelDropDown();
    }

    // In a read-only grid the pick changes nothing.
    press(Qt::Key_Escape);
    press(Qt::Key_Escape);
    editor.setReadOnly(true);
    editor.dropDown();
    editor.setCalendarDate(QDate(2025, 5, 5));
    editor.acceptDropDown();
    EXPECT_EQ(db.module.ADOQ_RatingTableDate_1->value().toDate(), QDate(2023, 12, 27));
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(CellEditorTest, ListMovesTheTextAndOnlyAcceptingChangesTheCell) {
    go(0, Type);
    ASSERT_EQ(text(), "Тестирование");
    ASSERT_EQ(editor.pendingKey().toInt(), 4);
    press(Qt::Key_Down, Alt);
    ASSERT_EQ(editor.openDropDown(), CellEditor::DropDown::List);
    EXPECT_EQ(editor.listCount(), 6);
    EXPECT_EQ(editor.listRow(), 3);
    EXPECT_EQ(editor.listRowsShown(), 6) << "fewer types than DropDownRows";
    press(Qt::Key_Down);
    EXPECT_EQ(text(), "Компьютерный тест");
    EXPECT_EQ(editor.cellText(), "Тестирование");
    EXPECT_EQ(editor.pendingKey().toInt(), 4);
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    press(Qt::Key_End, Ctrl);
    EXPECT_EQ(text(), "Защита работы");
    press(Qt::Key_Escape);
    EXPECT_EQ(editor.openDropDown(), CellEditor::DropDown::None);
    EXPECT_EQ(text(), "Тестирование");

    press(Qt::Key_Return, Ctrl);
    press(Qt::Key_Up);
    press(Qt::Key_Return);
    EXPECT_EQ(editor.openDropDown(), CellEditor::DropDown::None);
    EXPECT_EQ(text(), "Устно-письменный");
    EXPECT_TRUE(editor.editor().wholeSelected());
    EXPECT_EQ(editor.pendingKey().toInt(), 3);
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    // The field is written with the cell: the key alone.
    press(Qt::Key_Down);
    EXPECT_EQ(stored("id_typeControl_1", 0).toInt(), 3);
    EXPECT_EQ(grid.cellText(0, Type), "Устно-письменный");

    // The size the user gives the list lasts.
    editor.setListSize(4, 150);
    EXPECT_EQ(editor.listRowsShown(), 4);
    EXPECT_EQ(editor.listWidth(108), 150);
    EXPECT_EQ(editor.listWidth(200), 200);
}

TEST_F(CellEditorTest, ListIsSevenRowsHighOrAsHighAsFewerTypes) {
    const struct {
        const char* change;
        int count;
        int rows;
    } tables[] = {
        {"INSERT INTO TypeControl VALUES (7, 'Реферат'), (8, 'Коллоквиум')", 8, 7},
        {"DELETE FROM TypeControl WHERE id_typeControl > 4", 4, 4},
        {"DELETE FROM TypeControl", 0, 7},
    };
    for (const auto& table : tables) {
        db.runElsewhere(table.change);
        db.module.ADOTable1->close();
        reopen();
        go(0, Type);
        editor.dropDown();
        ASSERT_EQ(editor.openDropDown(), CellEditor::DropDown::List) << table.change;
        EXPECT_EQ(editor.listCount(), table.count) << table.change;
        EXPECT_EQ(editor.listRowsShown(), table.rows) << table.change;
        editor.cancelDropDown();
    }
    // With no types every typed character is dropped.
    const QString before = text();
    EXPECT_FALSE(editor.typeText("Т"));
    EXPECT_EQ(text(), before);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

TEST_F(CellEditorTest, CompletionTakesTheFirstTypeBeginningWithTheCandidate) {
    go(0, Type);
    enum Input { TypeText, Paste, Backspace, Delete, SelectAll };
    const struct {
        Input input;
        const char* text;
        const char* shown;
        int selectionStart;
        int selectionEnd;
        QVariant key;
    } steps[] = {
        {TypeText, "у", "Устный", 1, 6, 1},
        {TypeText, "С", "Устный", 2, 6, 1},
        {TypeText, "ТН", "Устный", 4, 6, 1},
        {TypeText, "О", "Устно-письменный", 5, 16, 3},
        {TypeText, "ж", "Устно-письменный", 5, 16, 3}, // no type continues: dropped
        {Backspace, "", "Устно-письменный", 4, 4, 3},  // deletes nothing: the caret moves left
        {TypeText, "ы", "Устный", 5, 6, 1},
        {SelectAll, "", "Устный", 0, 6, 1},
        {TypeText, "КОМП", "Компьютерный тест", 4, 17, 5},
        {Delete, "", "Компьютерный тест", 4, 17, 5}, // less than the whole text: nothing
        {SelectAll, "", "Компьютерный тест", 0, 17, 5},
        {Paste, "защ", "Защита работы", 3, 13, 6},
        {Paste, "xyz", "Защита работы", 3, 13, 6},
        {SelectAll, "", "Защита работы", 0, 13, 6},
        {Paste, "тестир", "Тестирование", 6, 12, 4},
        {SelectAll, "", "Тестирование", 0, 12, 4},
        {Delete, "", "", 0, 0, QVariant()},
    };
    int i = 0;
    for (const auto& step : steps) {
        switch (step.input) {
        case TypeText:
            editor.typeText(QString::fromUtf8(step.text));
            break;
        case Paste:
            editor.paste(QString::fromUtf8(step.text));
            break;
        case Backspace:
            press(Qt::Key_Backspace);
            break;
        case Delete:
            press(Qt::Key_Delete);
            break;
        case SelectAll:
            editor.setSelection(editor.editor().length(), 0);
            break;
        }
        EXPECT_EQ(text(), QString::fromUtf8(step.shown)) << "step " << i;
        EXPECT_EQ(editor.editor().selectionStart(), step.selectionStart) << "step " << i;
        EXPECT_EQ(editor.editor().selectionEnd(), step.selectionEnd) << "step " << i;
        EXPECT_EQ(editor.pendingKey(), step.key) << "step " << i;
        ++i;
    }
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(grid.currentColumn(), Type);
    // Written on Tab: Null in the key, an empty cell.
    press(Qt::Key_Tab);
    EXPECT_TRUE(stored("id_typeControl_1", 0).isNull());
    EXPECT_EQ(grid.cellText(0, Type), "");
    // Backspace at the start of the text moves to the column on the left.
    go(1, Type);
    press(Qt::Key_Backspace);
    EXPECT_EQ(grid.currentColumn(), Room);
}

TEST_F(CellEditorTest, CtrlFAsksForTheFindDialogWithTheSelectedText) {
    QStringList asked;
    QObject::connect(&editor, &CellEditor::findRequested, [&](const QString& text) { asked.append(text); });
    go(2, Room);
    editor.setSelection(0, 1);
    press(Qt::Key_F, Ctrl);
    grid.setOptionsEx(grid.layout().optionsEx() & ~GridOptionsEx(dgxDialogFind));
    press(Qt::Key_F, Ctrl);
    EXPECT_EQ(asked, QStringList{"1"});
}

} // namespace
