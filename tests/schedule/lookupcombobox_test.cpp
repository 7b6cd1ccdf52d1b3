// The selector widget in the main window on the offscreen platform: its drop-down list, and every
// way a pick happens with the mouse and the keys.
#include "signedinwindow.h"

#include <QScreen>
#include <QScrollBar>

namespace {

class LookupComboBoxTest : public SignedInWindow {
protected:
    void SetUp() override {
        SignedInWindow::SetUp();
        showWindow();
        m_year = m_window->YearDBLookupComboBox;
        for (LookupSelector* selector :
             {&editor().year(), &editor().semester(), &editor().faculty(), &editor().group()}) {
            LookupSelector* watched = selector;
            const auto handler = [this, watched] {
                m_runs << watched->objectName();
                if (watched == &editor().year())
                    m_window->YearDBLookupComboBoxClick(m_window->YearDBLookupComboBox);
                else if (watched == &editor().semester())
                    m_window->SemesterDBLookupComboBoxClick(m_window->SemesterDBLookupComboBox);
                else if (watched == &editor().faculty())
                    m_window->FacultyDBLookupComboBoxClick(m_window->FacultyDBLookupComboBox);
                else
                    m_window->GroupDBLookupComboBoxClick(m_window->GroupDBLookupComboBox);
            };
            selector->setClickHandler(handler);
        }
    }

    static void key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget, key, modifiers);
    }

    static void typeCharacter(QWidget* widget, QChar character) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(widget, &press);
    }

    LookupComboBox* m_year = nullptr;
    QStringList m_runs;
};

} // namespace

TEST_F(LookupComboBoxTest, AMousePressOpensTheListBelowAndAReleaseOverARowPicksIt) {
    QTest::mousePress(m_year, Qt::LeftButton);
    ASSERT_TRUE(m_year->isDroppedDown());
    SelectorListPopup* list = m_year->popup();
    EXPECT_EQ(list->list().highlighted(), -1) << "nothing chosen yet";
    EXPECT_EQ(list->width(), 225);
    EXPECT_EQ(list->height(), 4 * list->lineHeight() + 2);
    EXPECT_EQ(list->pos(), m_year->mapToGlobal(QPoint(0, 21)));
    EXPECT_FALSE(list->scrollBar()->isVisible());
    QTest::mouseRelease(m_year, Qt::LeftButton);
    EXPECT_TRUE(m_year->isDroppedDown()) << "the release of the opening press is not over the list";

    QTest::mousePress(list, Qt::LeftButton, {}, list->lineRect(1).center());
    EXPECT_EQ(list->list().highlighted(), 1);
    QTest::mouseMove(list, list->lineRect(2).center());
    QTest::mouseRelease(list, Qt::LeftButton, {}, list->lineRect(2).center());
    EXPECT_FALSE(m_year->isDroppedDown());
    EXPECT_EQ(editor().year().shownText(), "2025/2026");
    EXPECT_EQ(m_runs, QStringList({"YearDBLookupComboBox"}));
    EXPECT_TRUE(m_window->SemesterDBLookupComboBox->isEnabled());

    QTest::mousePress(m_year, Qt::LeftButton);
    EXPECT_EQ(list->list().highlighted(), 2) << "the chosen row is highlighted when the list opens";
}

TEST_F(LookupComboBoxTest, ClosingWithoutAPick) {
    const std::function<void()> closings[] = {
        [&] { key(m_year->popup(), Qt::Key_Escape); },
        [&] { QTest::mousePress(m_year->popup(), Qt::LeftButton, {}, QPoint(10, -10)); },
        [&] {
            QFocusEvent away(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(m_year, &away);
        },
    };
    for (const auto& close : closings) {
        m_year->dropDown();
        ASSERT_TRUE(m_year->isDroppedDown());
        key(m_year->popup(), Qt::Key_Down);
        close();
        EXPECT_FALSE(m_year->isDroppedDown());
    }
    EXPECT_TRUE(m_runs.isEmpty());
    EXPECT_TRUE(editor().year().keyIsNull());
}

TEST_F(LookupComboBoxTest, KeysMoveTheHighlightAndEnterOrAltArrowPicks) {
    key(m_year, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(m_year->isDroppedDown());
    SelectorListPopup* list = m_year->popup();
    const struct {
        Qt::Key key;
        int highlighted;
    } moves[] = {{Qt::Key_Right, 0}, {Qt::Key_Down, 1},     {Qt::Key_End, 3}, {Qt::Key_Left, 2},
                 {Qt::Key_Home, 0},  {Qt::Key_PageDown, 3}, {Qt::Key_Up, 2}};
    for (const auto& move : moves) {
        key(list, move.key);
        EXPECT_EQ(list->list().highlighted(), move.highlighted) << move.key;
    }
    EXPECT_TRUE(m_runs.isEmpty()) << "only the highlight moves until the pick";
    key(list, Qt::Key_Return);
    EXPECT_FALSE(m_year->isDroppedDown());
    EXPECT_EQ(editor().year().shownText(), "2025/2026");

    key(m_year, Qt::Key_Up, Qt::AltModifier);
    key(list, Qt::Key_Up);
    key(list, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(editor().year().shownText(), "2024/2025");
    EXPECT_EQ(m_runs, QStringList({"YearDBLookupComboBox", "YearDBLookupComboBox"}));
}

// Enter on a list opened with nothing chosen and nothing highlighted picks Null again.
TEST_F(LookupComboBoxTest, EnterWithNothingHighlightedPicksTheCurrentKeyAgain) {
    key(m_year, Qt::Key_Down, Qt::AltModifier);
    key(m_year->popup(), Qt::Key_Enter);
    EXPECT_EQ(m_runs, QStringList({"YearDBLookupComboBox"}));
    EXPECT_TRUE(editor().year().keyIsNull());
    EXPECT_FALSE(m_window->SemesterDBLookupComboBox->isEnabled());
}

TEST_F(LookupComboBoxTest, UpAndDownOnTheClosedSelectorPick) {
    key(m_year, Qt::Key_Down);
    EXPECT_EQ(editor().year().shownText(), "2023/2024");
    key(m_year, Qt::Key_Down);
    key(m_year, Qt::Key_Down);
    key(m_year, Qt::Key_Up);
    EXPECT_EQ(editor().year().shownText(), "2024/2025");
    EXPECT_EQ(m_runs.size(), 4);
    EXPECT_FALSE(m_year->isDroppedDown());
}

TEST_F(LookupComboBoxTest, TypingPicksWhenClosedAndOnlyHighlightsWhenOpen) {
    qint64 now = 1000;
    for (LookupComboBox* box :
         {m_year, m_window->SemesterDBLookupComboBox, m_window->FacultyDBLookupComboBox})
        box->setClock([&now] { return now; });
    clickRow(m_year, "2025/2026");
    clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
    LookupComboBox* faculty = m_window->FacultyDBLookupComboBox;
    m_runs.clear();
    typeCharacter(faculty, QChar(u'ю'));
    EXPECT_EQ(editor().faculty().shownText(), QString::fromUtf8("Юридический факультет"));
    now += 2001;
    typeCharacter(faculty, QChar(u'С'));
    EXPECT_EQ(editor().faculty().shownText(), QString::fromUtf8("Строительный факультет"));
    EXPECT_EQ(m_runs.size(), 2);

    key(faculty, Qt::Key_Down, Qt::AltModifier);
    now += 2001;
    typeCharacter(faculty->popup(), QChar(u'Г'));
    EXPECT_EQ(editor().faculty().rowText(faculty->popup()->list().highlighted()),
              QString::fromUtf8("Гуманитарный факультет"));
    EXPECT_EQ(editor().faculty().shownText(), QString::fromUtf8("Строительный факультет"));
    EXPECT_EQ(m_runs.size(), 2);
    key(faculty->popup(), Qt::Key_Escape);
    EXPECT_EQ(editor().faculty().searchText(), "") << "closing the list ends the search";
}

TEST_F(LookupComboBoxTest, ADisabledSelectorNeitherOpensNorPicks) {
    LookupComboBox* semester = m_window->SemesterDBLookupComboBox;
    semester->dropDown();
    key(semester, Qt::Key_Down);
    EXPECT_FALSE(semester->isDroppedDown());
    EXPECT_TRUE(m_runs.isEmpty());
}

TEST_F(LookupComboBoxTest, TheListOpensAboveWhenBelowWouldLeaveTheScreen) {
    const QRect screen = m_window->screen()->geometry();
    m_window->move(m_window->x(), screen.bottom() - 130);
    QCoreApplication::sendPostedEvents();
    pickDemoGroup();
    LookupComboBox* group = m_window->GroupDBLookupComboBox;
    group->dropDown();
    SelectorListPopup* list = group->popup();
    EXPECT_EQ(list->list().lineCount(), 7);
    EXPECT_TRUE(list->scrollBar()->isVisible()) << "eight groups, seven lines";
    EXPECT_EQ(list->geometry().bottom() + 1, group->mapToGlobal(QPoint(0, 0)).y());
}
