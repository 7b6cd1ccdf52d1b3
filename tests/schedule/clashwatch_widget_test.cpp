// The clash warnings in the main window on the demo database: the pass that reads the year and
// semester, the marked cells of the grid and their tooltips, and a mark that goes once the clash is
// mended and saved.
#include "signedinwindow.h"

#include "grid/tgridcolumn.h"
#include "grid/widgets/tdbgrid.h"
#include "schedule/clashes/clashwatch.h"
#include "support/showntext.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolTip>

#include <algorithm>

namespace {

class ClashWatchWidgetTest : public SignedInWindow {
protected:
    void SetUp() override {
        SignedInWindow::SetUp();
        showWindow();
        QSignalSpy ended(&m_window->clashes(), &ClashWatch::passEnded);
        clickRow(m_window->YearDBLookupComboBox, "2025/2026");
        clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
        ASSERT_TRUE(m_window->clashes().passRunning());
        clickRow(m_window->FacultyDBLookupComboBox, QString::fromUtf8("Факультет информационных технологий"));
        clickRow(m_window->GroupDBLookupComboBox, QString::fromUtf8("ИВТ-241"));
        ASSERT_TRUE(ended.wait(20000));
        ASSERT_EQ(ended.first().first().toBool(), true);
    }

    TDBGrid& grid() { return *m_window->DBGrid1; }

    int record(const char* discipline) {
        const DataSet& schedule = *m_data.ADOQ_RatingTable;
        for (int r = 0; r < schedule.recordCount(); ++r)
            if (schedule.cellAt(r, schedule.columnIndex("Discipline")).toString() ==
                QString::fromUtf8(discipline))
                return r;
        ADD_FAILURE() << "no record " << discipline;
        return -1;
    }

    int column(const char* field) {
        for (int c = 0; c < grid().model().columnCount(); ++c)
            if (grid().model().column(c)->fieldName() == QLatin1String(field))
                return c;
        ADD_FAILURE() << "no column " << field;
        return -1;
    }

    // The background of a cell as painted, in its upper right corner, above the text.
    QColor painted(int record, const char* field) {
        const QRect cell = grid().cellRect(record, column(field));
        return grid().viewport()->grab().toImage().pixelColor(cell.right() - 1, cell.top() + 1);
    }

    // The tooltip the grid shows over a cell, as its label shows it.
    QString toolTip(int record, const char* field) {
        QToolTip::hideText();
        const QPoint at = grid().cellRect(record, column(field)).center();
        QHelpEvent help(QEvent::ToolTip, at, grid().viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid().viewport(), &help);
        if (!QToolTip::isVisible())
            return QString();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible())
                if (const auto* label = qobject_cast<QLabel*>(widget))
                    return ShownText(*label);
        return QStringLiteral("(no tooltip label)");
    }
};

} // namespace

TEST_F(ClashWatchWidgetTest, MarksTheClashingCellsWithTheirTooltips) {
    const int roomClash = record("Базы данных");
    const int examinerClash = record("Операционные системы");
    const int busyDay = record("Социология");
    const int quiet = record("Философия");
    EXPECT_EQ(painted(roomClash, "Audience_1"), ClashWatch::ClashTint());
    EXPECT_EQ(painted(roomClash, "Date_1"), ClashWatch::ClashTint());
    EXPECT_EQ(painted(roomClash, "t_fio"), grid().color());
    EXPECT_EQ(painted(examinerClash, "t_fio"), ClashWatch::ClashTint());
    EXPECT_EQ(painted(examinerClash, "Audience_1"), grid().color());
    EXPECT_EQ(painted(busyDay, "Date_1"), ClashWatch::BusyDayTint());
    EXPECT_EQ(painted(busyDay, "Time_1"), grid().color());
    EXPECT_EQ(painted(quiet, "Date_1"), grid().color());

    // Dates as the grid shows them, in the user's short format.
    const auto day = [](int y, int m, int d) {
        return QLocale().toString(QDate(y, m, d), QLocale::ShortFormat);
    };
    EXPECT_EQ(toolTip(roomClash, "Audience_1"),
              QString::fromUtf8("Аудитория занята: ИВТ-231, Программирование на языке C++, Никитина М. С., "
                                "ауд. 1-402, ") +
                  day(2025, 12, 26) + " 14:00");
    EXPECT_EQ(toolTip(examinerClash, "t_fio"),
              QString::fromUtf8("Экзаменатор в другой аудитории: ИВТ-231, Компьютерные сети, Козлов П. А., "
                                "ауд. 1-402, ") +
                  day(2026, 1, 13) + " 10:40");
    EXPECT_EQ(toolTip(busyDay, "Date_1"),
              QString::fromUtf8("У группы в этот день ещё: ИВТ-241, Дискретная математика, Григорьев Д. Н., "
                                "ауд. 1-108, ") +
                  day(2026, 1, 17) + " 09:00");
    // A cell without a mark has no tooltip to show.
    EXPECT_TRUE(grid().cellDecoration()->cellMark(quiet, "Date_1").isEmpty());
    EXPECT_TRUE(m_shell.errors.isEmpty());
}

TEST_F(ClashWatchWidgetTest, AMendedAndSavedRoomLosesItsMark) {
    const int roomClash = record("Базы данных");
    Query& schedule = *m_data.ADOQ_RatingTable;
    schedule.setRecNo(roomClash + 1);
    schedule.edit();
    m_data.ADOQ_RatingTableAudience_1->setValue(QString::fromUtf8("1-999"));
    QTest::mouseClick(m_window->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(schedule.state(), DataSetState::Browse) << m_shell.errors.join('|').toStdString();
    schedule.setRecNo(roomClash == 0 ? 2 : 1); // the row's highlight away from the cells looked at
    EXPECT_EQ(painted(roomClash, "Audience_1"), grid().color());
    EXPECT_TRUE(grid().cellDecoration()->cellMark(roomClash, "Audience_1").isEmpty());
    // The other group's entry no longer clashes with the saved one either.
    const std::vector<Clash> left = m_window->clashes().clashesOfRecord(roomClash);
    EXPECT_TRUE(
        std::none_of(left.begin(), left.end(), [](const Clash& c) { return c.kind == ClashKind::Room; }));
}

// A year and semester read once are known for the rest of the run, marked at once.
TEST_F(ClashWatchWidgetTest, TheSameYearAndSemesterAreReadOnce) {
    QSignalSpy ended(&m_window->clashes(), &ClashWatch::passEnded);
    clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
    EXPECT_FALSE(m_window->clashes().passRunning());
    // Another year starts a pass of its own, which a new pick abandons.
    clickRow(m_window->YearDBLookupComboBox, "2024/2025");
    clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
    EXPECT_TRUE(m_window->clashes().passRunning());
    clickRow(m_window->YearDBLookupComboBox, "2025/2026");
    EXPECT_FALSE(m_window->clashes().passRunning());
    clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
    clickRow(m_window->FacultyDBLookupComboBox, QString::fromUtf8("Факультет информационных технологий"));
    clickRow(m_window->GroupDBLookupComboBox, QString::fromUtf8("ИВТ-241"));
    EXPECT_EQ(painted(record("Базы данных"), "Audience_1"), ClashWatch::ClashTint());
    EXPECT_EQ(ended.size(), 0);
}
