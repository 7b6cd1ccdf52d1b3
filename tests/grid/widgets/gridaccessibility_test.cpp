// What a screen reader learns of the grid through the toolkit's accessibility interfaces: the
// current cell with its column's title and text, the cell editor named after the column, and the
// open drop-downs (the month calendar, the list of control types) under the grid in the tree.
#include "columnindex.h"
#include "data/query.h"
#include "grid/widgets/inplaceedit.h"
#include "grid/widgets/lookuplistpopup.h"
#include "grid/widgets/monthcalendarpopup.h"
#include "grid/widgets/tdbgrid.h"
#include "keymoves.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "userinput.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleTextInterface>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Every interface below `root` (not `root` itself), depth first.
void Walk(QAccessibleInterface* root, const std::function<void(QAccessibleInterface*)>& visit,
          int depth = 0) {
    if (root == nullptr || depth > 12)
        return;
    for (int index = 0; index < root->childCount(); ++index) {
        QAccessibleInterface* child = root->child(index);
        if (child == nullptr)
            continue;
        visit(child);
        Walk(child, visit, depth + 1);
    }
}

QList<QAccessibleInterface*> FindAll(QAccessibleInterface* root, QAccessible::Role role) {
    QList<QAccessibleInterface*> found;
    Walk(root, [&](QAccessibleInterface* each) {
        if (each->role() == role)
            found << each;
    });
    return found;
}

QStringList ChildNames(QAccessibleInterface* parent) {
    QStringList names;
    for (int index = 0; index < parent->childCount(); ++index)
        names << parent->child(index)->text(QAccessible::Name);
    return names;
}

class GridAccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(720, 330);
        grid = new TDBGrid(&window);
        grid->setGeometry(0, 40, 720, 242);
        AddScheduleColumns(grid->model());
        grid->setDataSource(db.module.DS_RatingTable);
        db.openSchedule();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return grid->inplaceEditor()->hasFocus(); }));
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Press(window.windowHandle(), key, modifiers);
    }
    void go(int record, int column) { GoWithKeys(window.windowHandle(), *grid, record, column); }
    QAccessibleInterface* gridInterface() const { return QAccessible::queryAccessibleInterface(grid); }
    QAccessibleInterface* currentCell() const {
        const auto cells = FindAll(gridInterface(), QAccessible::Cell);
        return cells.size() == 1 ? cells.front() : nullptr;
    }

    ScheduleDb db;
    QWidget window;
    TDBGrid* grid = nullptr;
};

} // namespace

TEST_F(GridAccessibilityTest, TheCurrentCellCarriesItsColumnsTitleAndText) {
    ASSERT_NE(gridInterface(), nullptr);
    EXPECT_EQ(gridInterface()->role(), QAccessible::Table);
    db.runElsewhere("UPDATE ControlSchedule SET Audience_1 = 'Б-214' WHERE id_schedule = " +
                    db.key(2).toString());
    db.module.ADOQ_RatingTable->close();
    db.openSchedule();
    grid->setFocus();
    const struct {
        int record;
        Column column;
        const char* title;
    } cells[] = {
        {0, Discipline, "Дисциплина"},
        {1, Examiner, "Ф.И.О. -экзаменатора"},
        {2, Room, "Компьютерное, бланочное тестирование: Аудитория"},
        {3, Type, "Компьютерное, бланочное тестирование: вид контроля"},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.title);
        go(c.record, c.column);
        QAccessibleInterface* cell = currentCell();
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name).toStdString(), c.title);
        // The text the user sees in the cell's editor.
        const QString shown = grid->inplaceEditor()->text();
        EXPECT_EQ(cell->text(QAccessible::Value), shown);
        ASSERT_NE(cell->textInterface(), nullptr);
        EXPECT_EQ(cell->textInterface()->text(0, cell->textInterface()->characterCount()), shown);
        EXPECT_EQ(cell->parent(), gridInterface());
        EXPECT_TRUE(cell->state().focused);
        // The focus is in the editor, which is named after the column too.
        EXPECT_EQ(grid->inplaceEditor()->accessibleName().toStdString(), c.title);
    }
    go(2, Room);
    EXPECT_EQ(currentCell()->text(QAccessible::Value).toStdString(), "Б-214");
    EXPECT_EQ(currentCell()->text(QAccessible::Name), grid->inplaceEditor()->accessibleName());
}

TEST_F(GridAccessibilityTest, TheOpenDropDownsAreUnderTheGridWithTheirEntries) {
    // The control types as the table holds them.
    Query types(QString(), db.module.ADOCon);
    types.setSql({"SELECT typeControl FROM TypeControl"});
    types.open();
    QStringList expected;
    for (int row = 0; row < types.recordCount(); ++row)
        expected << types.cellAt(row, 0).toString();
    ASSERT_GE(expected.size(), 2);

    go(0, Type);
    EXPECT_TRUE(FindAll(gridInterface(), QAccessible::List).isEmpty()) << "no list while it is closed";
    press(Qt::Key_Down, Qt::AltModifier);
    ASSERT_NE(grid->listPopup(), nullptr);
    const auto lists = FindAll(gridInterface(), QAccessible::List);
    ASSERT_EQ(lists.size(), 1);
    QStringList entries = ChildNames(lists.front());
    for (int index = 0; index < lists.front()->childCount(); ++index)
        EXPECT_EQ(lists.front()->child(index)->role(), QAccessible::ListItem);
    entries.sort();
    expected.sort();
    EXPECT_EQ(entries, expected);
    QAccessibleInterface* popup = QAccessible::queryAccessibleInterface(grid->listPopup());
    EXPECT_EQ(popup->parent(), gridInterface());
    EXPECT_EQ(popup->text(QAccessible::Name).toStdString(),
              "Компьютерное, бланочное тестирование: вид контроля");
    press(Qt::Key_Escape);
    ASSERT_EQ(grid->listPopup(), nullptr);
    EXPECT_TRUE(FindAll(gridInterface(), QAccessible::List).isEmpty());

    // The calendar: its days are cells of a table under the grid.
    go(0, Date);
    press(Qt::Key_Down, Qt::AltModifier);
    ASSERT_NE(grid->calendarPopup(), nullptr);
    bool fifteenth = false;
    for (QAccessibleInterface* table : FindAll(gridInterface(), QAccessible::Table))
        Walk(table, [&](QAccessibleInterface* each) {
            fifteenth = fifteenth || each->text(QAccessible::Name) == "15";
        });
    EXPECT_TRUE(fifteenth) << "the calendar's days are in the tree";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(grid->calendarPopup())->parent(), gridInterface());
    press(Qt::Key_Escape);
}
