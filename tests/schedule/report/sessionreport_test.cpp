// The session overview printed and exported: the list and the day table as PDF pages (read back
// with pdftotext) and as the two sheets of one workbook (read back from its XML).
#include "schedule/signedinschedule.h"

#include "reportreadback.h"
#include "schedule/overview/sessiondaymodel.h"
#include "schedule/overview/sessionlistmodel.h"
#include "schedule/overview/sessionoverview.h"
#include "schedule/report/reportfile.h"
#include "schedule/report/reportpages.h"
#include "schedule/report/reportworkbook.h"
#include "schedule/report/sessionreport.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

using namespace reportreadback;

const QDate Printed(2027, 1, 14);

class SessionReportTest : public SignedInSchedule {
protected:
    void SetUp() override {
        SignedInSchedule::SetUp();
        pickText(year(), QStringLiteral("2025/2026"));
        pickText(semester(), QString::fromUtf8("1-й семестр (осенний)"));
        pickText(faculty(), QString::fromUtf8("Факультет информационных технологий"));
        m_overview = std::make_unique<SessionOverview>(
            SessionOverview::ScopeOf(*m_editor), m_data.ADOCon->connectionString(),
            m_data.ADOCon->commandTimeout(), m_install.dataFolder());
        QSignalSpy state(m_overview.get(), &SessionOverview::stateChanged);
        m_overview->read();
        while (m_overview->state() == SessionOverview::State::Reading && state.wait(30000)) {
        }
        ASSERT_EQ(m_overview->state(), SessionOverview::State::Ready);
    }

    QString pdf(const ScheduleReport& report) {
        const QString path = m_files.filePath("session.pdf");
        WriteReportFile(path, ReportPages::Pdf(report, Printed));
        return path;
    }

    std::unique_ptr<SessionOverview> m_overview;
    QTemporaryDir m_files;
};

} // namespace

TEST_F(SessionReportTest, ThePrintedListHasTheHeadingEveryEntryAndPageNumbers) {
    const ScheduleReport report = SessionReport::List(*m_overview);
    const QString path = pdf(report);
    EXPECT_TRUE(ReadAll(path).contains("/MediaBox [0 0 842")) << "A4 landscape";
    const QStringList pages = PdfPages(path);
    ASSERT_GE(pages.size(), 2);
    const QString& first = pages.first();
    for (const QString& line : {SessionReport::Title(), QString::fromUtf8("Учебный год: 2025/2026"),
                                QString::fromUtf8("Семестр: 1-й семестр (осенний)"),
                                QString::fromUtf8("Факультет: Факультет информационных технологий"),
                                QString::fromUtf8("Аудитория")})
        EXPECT_TRUE(first.contains(line)) << line.toStdString();
    EXPECT_FALSE(first.contains(QString::fromUtf8("Группа:")));
    for (int page = 0; page < pages.size(); ++page)
        EXPECT_TRUE(
            pages[page].contains(ReportPages::PageNumberText(page + 1, static_cast<int>(pages.size()))))
            << page;
    // Every entry's group and room appear, rows in the list's order: the first on the first page.
    const SessionListModel list(*m_overview, SessionListModel::Part::Dated);
    ASSERT_EQ(report.rows().size(), static_cast<qsizetype>(m_overview->entries().size()));
    for (int column = 0; column < SessionListModel::ColumnCount; ++column)
        EXPECT_EQ(report.rows()[0][column].text, list.index(0, column).data().toString());
    const QString all = pages.join(' ');
    EXPECT_EQ(
        all.count(QString::fromUtf8("ИВТ-241")),
        std::count_if(m_overview->entries().begin(), m_overview->entries().end(),
                      [](const SessionEntry& e) { return e.clash.group == QString::fromUtf8("ИВТ-241"); }));
    EXPECT_TRUE(
        first.contains(list.index(0, SessionListModel::Discipline).data().toString().section(' ', 0, 0)));
}

TEST_F(SessionReportTest, ThePrintedDayTableAndAFilterInTheHeading) {
    m_overview->setFilter({QStringLiteral("ИВТ-24"), {}, {}});
    const ScheduleReport report = SessionReport::Days(*m_overview);
    const SessionDayModel days(*m_overview);
    ASSERT_EQ(report.columns().size(), days.columnCount() + 1);
    ASSERT_EQ(report.rows().size(), days.rowCount());
    const QStringList pages = PdfPages(pdf(report));
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.first().contains(QString::fromUtf8("Отбор: группа «ИВТ-24»")));
    const QString all = pages.join(' ');
    for (int row = 0; row < days.rowCount(); ++row)
        EXPECT_TRUE(all.contains(days.groupName(row))) << days.groupName(row).toStdString();
    EXPECT_TRUE(all.contains(days.day(0).toString("dd.MM.yyyy")));
}

TEST_F(SessionReportTest, TheWorkbookHasDecimalPointsInEveryLocale) {
    const QString path = m_files.filePath("session.xlsx");
    for (const char* name : UserLocales) {
        SCOPED_TRACE(name);
        const ProcessLocale locale(name);
        if (!locale.active())
            GTEST_SKIP() << "the machine lacks the locale " << name << " (scripts/setup.sh makes it)";
        WriteReportFile(path, SessionReport::Xlsx(*m_overview));
        EXPECT_EQ(NumbersWithoutDecimalPoint(path), "");
        EXPECT_EQ(ReadSheet(path, 2).cells.empty(), false);
    }
}

TEST_F(SessionReportTest, TheWorkbookHoldsBothViewsWithDateCellsAndFrozenTitles) {
    const QString path = m_files.filePath("session.xlsx");
    WriteReportFile(path, SessionReport::Xlsx(*m_overview));
    const QString book = Member(path, "xl/workbook.xml");
    EXPECT_TRUE(book.contains(QString::fromUtf8("name=\"Список\""))) << book.toStdString();
    EXPECT_TRUE(book.contains(QString::fromUtf8("name=\"По дням\"")));

    const ScheduleReport list = SessionReport::List(*m_overview);
    const Sheet sheet = ReadSheet(path, 1);
    const auto text = [](const Sheet& s, int column, int row) {
        const auto found = s.cells.find(CellName(column, row));
        return found == s.cells.end() ? QString() : found->second.text;
    };
    EXPECT_EQ(text(sheet, 0, 0), SessionReport::Title());
    const int titleRow = ReportWorkbook::TitleRow;
    for (int column = 0; column < SessionListModel::ColumnCount; ++column)
        EXPECT_EQ(text(sheet, column, titleRow), SessionListModel::ColumnTitle(column));
    EXPECT_EQ(sheet.frozenTopLeft, CellName(0, titleRow + 1));
    int dates = 0;
    for (int row = 0; row < list.rows().size(); ++row) {
        const QList<ReportCell>& cells = list.rows()[row];
        for (int column = 1; column < cells.size(); ++column)
            EXPECT_EQ(text(sheet, column, titleRow + 1 + row), cells[column].text) << row << " " << column;
        if (!cells[0].date.isValid()) {
            EXPECT_EQ(text(sheet, 0, titleRow + 1 + row), QString()) << "an undated entry";
            continue;
        }
        const SheetCell& date = sheet.cells.at(CellName(0, titleRow + 1 + row));
        EXPECT_TRUE(date.number);
        EXPECT_DOUBLE_EQ(date.text.toDouble(), ExcelSerial(cells[0].date));
        EXPECT_TRUE(sheet.styleFormats.value(date.style).startsWith(ReportWorkbook::DateFormat()));
        ++dates;
    }
    EXPECT_GT(dates, 40);

    const SessionDayModel days(*m_overview);
    const Sheet second = ReadSheet(path, 2);
    EXPECT_EQ(second.frozenTopLeft, CellName(1, titleRow + 1)) << "titles and the group column stay";
    EXPECT_EQ(text(second, 0, titleRow), QString::fromUtf8("Группа"));
    // Each day's title is a date cell, shown with its weekday as the view titles it.
    for (int column = 0; column < days.columnCount(); ++column) {
        const SheetCell& title = second.cells.at(CellName(column + 1, titleRow));
        EXPECT_TRUE(title.number) << column;
        EXPECT_DOUBLE_EQ(title.text.toDouble(), ExcelSerial(days.day(column).startOfDay()));
        EXPECT_EQ(second.styleFormats.value(title.style), QStringLiteral("[$-419]ddd dd.mm.yyyy"));
    }
    for (int row = 0; row < days.rowCount(); ++row) {
        EXPECT_EQ(text(second, 0, titleRow + 1 + row), days.groupName(row));
        for (int column = 0; column < days.columnCount(); ++column)
            EXPECT_EQ(text(second, column + 1, titleRow + 1 + row),
                      days.index(row, column).data().toString());
    }
}
