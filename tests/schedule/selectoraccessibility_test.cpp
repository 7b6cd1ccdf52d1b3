// What a screen reader learns of the four selectors through the toolkit's accessibility
// interfaces: each is a combo box named by the label beside it, whose value is its shown text and
// whose drop-down list, a window of its own, is its child with one item per row.
#include "signedinwindow.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAccessibleTextInterface>
#include <QLabel>

namespace {

class SelectorAccessibilityTest : public SignedInWindow {
protected:
    struct Selector {
        LookupComboBox* box;
        QLabel* label;
        const char* name;
        const char* picked;
    };
    QList<Selector> selectors() const {
        return {{m_window->YearDBLookupComboBox, m_window->Label1, "Выберите год:", "2025/2026"},
                {m_window->SemesterDBLookupComboBox, m_window->Label6,
                 "Выберите семестр:", "1-й семестр (осенний)"},
                {m_window->FacultyDBLookupComboBox, m_window->Label2,
                 "Выберите Факультет:", "Факультет информационных технологий"},
                {m_window->GroupDBLookupComboBox, m_window->Label4, "Выберите группу:", "ИВТ-231"}};
    }
    static QAccessibleInterface* of(QObject* object) { return QAccessible::queryAccessibleInterface(object); }
    // The shown text as the accessible text interface gives it.
    static QString accessibleText(QAccessibleInterface* iface) {
        QAccessibleTextInterface* text = iface->textInterface();
        return text != nullptr ? text->text(0, text->characterCount())
                               : QStringLiteral("<no text interface>");
    }
};

} // namespace

TEST_F(SelectorAccessibilityTest, EachSelectorIsNamedByItsLabelAndShowsItsText) {
    showWindow();
    for (const Selector& s : selectors()) {
        SCOPED_TRACE(s.name);
        QAccessibleInterface* iface = of(s.box);
        ASSERT_NE(iface, nullptr);
        EXPECT_EQ(iface->role(), QAccessible::ComboBox);
        EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), s.name);
        EXPECT_EQ(iface->text(QAccessible::Value), QString());
        const auto labels = iface->relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels.front().first->object(), s.label);
    }
    pickDemoGroup();
    for (const Selector& s : selectors()) {
        SCOPED_TRACE(s.name);
        QAccessibleInterface* iface = of(s.box);
        EXPECT_EQ(iface->text(QAccessible::Value).toStdString(), s.picked);
        EXPECT_EQ(accessibleText(iface).toStdString(), s.picked);
        EXPECT_FALSE(iface->state().disabled);
    }
}

TEST_F(SelectorAccessibilityTest, TheDropDownListIsTheSelectorsChildWithItsEntries) {
    showWindow();
    pickDemoGroup();
    for (const Selector& s : selectors()) {
        SCOPED_TRACE(s.name);
        LookupSelector& logic = s.box->selector();
        QAccessibleInterface* box = of(s.box);
        ASSERT_EQ(box->childCount(), 1);
        QAccessibleInterface* list = box->child(0);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->role(), QAccessible::List);
        EXPECT_EQ(list->parent(), box);
        EXPECT_EQ(box->indexOfChild(list), 0);
        EXPECT_TRUE(list->state().invisible) << "closed";
        ASSERT_EQ(list->childCount(), logic.rowCount());
        for (int row = 0; row < logic.rowCount(); ++row) {
            QAccessibleInterface* item = list->child(row);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->role(), QAccessible::ListItem);
            EXPECT_EQ(item->text(QAccessible::Name), logic.rowText(row));
            EXPECT_EQ(item->parent(), list);
            EXPECT_EQ(list->indexOfChild(item), row);
            EXPECT_EQ(item->state().selected, item->text(QAccessible::Name) == QString::fromUtf8(s.picked));
        }
        // Open: the list and the rows on its lines are on the screen, the chosen one highlighted.
        QTest::mouseClick(s.box, Qt::LeftButton);
        ASSERT_TRUE(s.box->isDroppedDown());
        EXPECT_FALSE(list->state().invisible);
        EXPECT_TRUE(box->state().expanded);
        const int chosen = logic.rowOfKey();
        ASSERT_GE(chosen, 0);
        QAccessibleInterface* item = list->child(chosen);
        EXPECT_FALSE(item->state().invisible);
        EXPECT_TRUE(item->state().selected);
        EXPECT_TRUE(s.box->popup()->geometry().contains(item->rect().center()));
        EXPECT_EQ(list->childAt(item->rect().center().x(), item->rect().center().y()), item);
        QTest::keyClick(s.box->popup(), Qt::Key_Escape);
        ASSERT_FALSE(s.box->isDroppedDown());
    }
}

// The list follows its query: after the year list reopens, its items are the new rows.
TEST_F(SelectorAccessibilityTest, TheItemsFollowTheRowsOfTheList) {
    showWindow();
    clickRow(m_window->YearDBLookupComboBox, "2025/2026");
    QAccessibleInterface* list = of(m_window->SemesterDBLookupComboBox)->child(0);
    LookupSelector& semester = editor().semester();
    ASSERT_GT(semester.rowCount(), 0);
    QStringList names;
    for (int row = 0; row < list->childCount(); ++row)
        names << list->child(row)->text(QAccessible::Name);
    QStringList rows;
    for (int row = 0; row < semester.rowCount(); ++row)
        rows << semester.rowText(row);
    EXPECT_EQ(names, rows);
    // The group list has never been opened: no items.
    EXPECT_EQ(of(m_window->GroupDBLookupComboBox)->child(0)->childCount(), 0);
}
