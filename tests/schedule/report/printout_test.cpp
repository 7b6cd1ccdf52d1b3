// Printing and exporting the demo group's schedule: the report as the grid shows it, the row in
// edit posted first (a refused post stops everything with the database's text), the PDF's text
// read back with pdftotext, the Excel workbook read back from its XML, and writes that fail.
#include "schedule/signedinschedule.h"

#include "grid/gridmodel.h"
#include "reportreadback.h"
#include "schedule/report/reportpages.h"
#include "schedule/report/reportworkbook.h"
#include "schedule/report/scheduleprintout.h"
#include "schedule/schedulecolumns.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <map>

namespace {

using namespace reportreadback;

const QDate Printed(2027, 1, 14);
const QString Refusal = QString::fromUtf8("Аудитория Х-0 закрыта на ремонт");
const QString Merged = QString::fromUtf8("Компьютерное, бланочное тестирование");

class PrintoutTest : public SignedInSchedule {
protected:
    void SetUp() override {
        SignedInSchedule::SetUp();
        m_printoutOwned = std::make_unique<SchedulePrintout>(m_data, *m_editor, m_grid, m_shell);
        AddScheduleColumns(m_grid);
        m_grid.setDataSource(m_data.DS_RatingTable);
        pickDemoGroup();
        ASSERT_GE(schedule().recordCount(), 12);
    }

    // Makes the chosen group's schedule long enough for several pages, every row with a room of its
    // own, and opens it again.
    void lengthenSchedule(int copies) {
        const QVariant key = currentKey();
        QString sql;
        for (int copy = 0; copy < copies; ++copy)
            sql +=
                "INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, id_discipline, id_examiner, "
                "id_form, Date_1, Time_1, Audience_1, id_typeControl_1) "
                "SELECT o.id_a_year, o.id_semester, o.id_group, o.id_discipline, o.id_examiner, o.id_form, "
                "o.Date_1, o.Time_1, o.Audience_1, o.id_typeControl_1 FROM ControlSchedule o "
                "JOIN ControlSchedule k ON k.id_schedule = :key AND o.id_a_year = k.id_a_year AND "
                "o.id_semester = k.id_semester AND o.id_group = k.id_group;";
        sql += "UPDATE ControlSchedule SET Audience_1 = 'R' || id_schedule WHERE id_group = "
               "(SELECT id_group FROM ControlSchedule WHERE id_schedule = :key);";
        for (const QString& statement : sql.split(';', Qt::SkipEmptyParts))
            testsupport::ExecuteSql(m_database, statement, {{"key", key}});
        group().pickRow(group().rowOfKey());
    }

    QString target(const QString& name) { return m_files.filePath(name); }

    GridModel m_grid;
    std::unique_ptr<SchedulePrintout> m_printoutOwned;
    SchedulePrintout& m_printout() { return *m_printoutOwned; }
    QTemporaryDir m_files;
};

} // namespace

TEST_F(PrintoutTest, ReportShowsTheGridsTitlesAndRows) {
    const std::optional<ScheduleReport> report = m_printout().take();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->heading().year, "2025/2026");
    EXPECT_EQ(report->heading().semester, QString::fromUtf8("1-й семестр (осенний)"));
    EXPECT_EQ(report->heading().faculty, QString::fromUtf8("Факультет информационных технологий"));
    EXPECT_EQ(report->heading().group, group().shownText());
    EXPECT_FALSE(report->heading().group.isEmpty());

    const char* titles[][2] = {{"Дисциплина", ""},     {"Кафедра", ""},     {"Ф.И.О. -экзаменатора", ""},
                               {"Форма контроля", ""}, {"", "Дата"},        {"", "Время"},
                               {"", "Аудитория"},      {"", "вид контроля"}};
    ASSERT_EQ(report->columns().size(), 8);
    for (int column = 0; column < 8; ++column) {
        const QString lower = QString::fromUtf8(titles[column][1]);
        EXPECT_EQ(report->columns()[column].upperTitle,
                  lower.isEmpty() ? QString::fromUtf8(titles[column][0]) : Merged);
        EXPECT_EQ(report->columns()[column].lowerTitle, lower);
    }
    ASSERT_EQ(report->titleSpans().size(), 1);
    EXPECT_EQ(report->titleSpans()[0].firstColumn, 4);
    EXPECT_EQ(report->titleSpans()[0].columnCount, 4);
    EXPECT_EQ(report->titleSpans()[0].text, Merged);

    ASSERT_EQ(report->rows().size(), schedule().recordCount());
    int typeNames = 0;
    for (int record = 0; record < schedule().recordCount(); ++record) {
        for (int column = 0; column < 8; ++column)
            EXPECT_EQ(report->rows()[record][column].text, m_grid.cellText(record, column))
                << record << ":" << column;
        EXPECT_EQ(report->rows()[record][4].date,
                  m_data.ADOQ_RatingTableDate_1->valueAt(record).toDateTime());
        typeNames += report->rows()[record][7].text.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(typeNames, 0) << "the control type's name, not its number";
}

TEST_F(PrintoutTest, TheRowInEditIsPostedFirst) {
    schedule().setRecNo(3);
    const QVariant key = currentKey();
    schedule().edit();
    m_data.ADOQ_RatingTableAudience_1->setAsString(QString::fromUtf8("Ауд-9"));
    ASSERT_TRUE(m_printout().savePdf(target("schedule.pdf"), Printed));
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_EQ(stored("Audience_1", key).toString(), QString::fromUtf8("Ауд-9"));
    EXPECT_TRUE(PdfPages(target("schedule.pdf")).join('\n').contains(QString::fromUtf8("Ауд-9")));
    EXPECT_TRUE(m_shell.errors.isEmpty()) << m_shell.errors.join('|').toStdString();
}

TEST_F(PrintoutTest, ARefusedPostStopsWithTheDatabasesErrorAndKeepsTheValues) {
    testsupport::ExecuteSql(m_database,
                            "CREATE TRIGGER refuse_room BEFORE UPDATE OF Audience_1 ON ControlSchedule "
                            "WHEN NEW.Audience_1 = 'Х-0' BEGIN SELECT RAISE(ABORT, '" +
                                Refusal + "'); END;");
    schedule().setRecNo(2);
    schedule().edit();
    m_data.ADOQ_RatingTableAudience_1->setAsString(QString::fromUtf8("Х-0"));
    QFile old(target("schedule.xlsx"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    EXPECT_FALSE(m_printout().saveExcel(target("schedule.xlsx")));
    EXPECT_FALSE(m_printout().savePdf(target("schedule.pdf"), Printed));
    EXPECT_FALSE(m_printout().take());
    EXPECT_EQ(m_shell.errors, QStringList({Refusal, Refusal, Refusal}));
    EXPECT_EQ(ReadAll(target("schedule.xlsx")), "old");
    EXPECT_FALSE(QFile::exists(target("schedule.pdf")));
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), QString::fromUtf8("Х-0"));
}

TEST_F(PrintoutTest, PdfHoldsTheHeadingAndEveryRowInOrderWithTitlesOnEveryPage) {
    lengthenSchedule(3);
    const std::optional<ScheduleReport> report = m_printout().take();
    ASSERT_TRUE(report);
    ASSERT_GT(report->rows().size(), 60);
    ASSERT_TRUE(m_printout().savePdf(target("long.pdf"), Printed));

    const QStringList pages = PdfPages(target("long.pdf"));
    ASSERT_GE(pages.size(), 2);
    for (const QString& line : report->headingLines())
        EXPECT_TRUE(pages[0].contains(line)) << line.toStdString();
    EXPECT_TRUE(pages[0].contains(QString::fromUtf8("График проведения контроля")));
    for (int page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE(page + 1);
        const QString& text = pages[page];
        // Titles may wrap within their cells: their words are looked for.
        for (const char* title :
             {"Дисциплина", "Кафедра", "экзаменатора", "Форма", "Компьютерное", "бланочное", "тестирование",
              "Дата", "Время", "Аудитория", "вид", "контроля"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(title))) << title;
        EXPECT_TRUE(text.contains(QString::fromUtf8("Страница %1 из %2").arg(page + 1).arg(pages.size())));
        EXPECT_TRUE(text.contains(QString::fromUtf8("Напечатано: 14.01.2027")));
    }
    // Every row in order: each row's room (unique) after the previous one's, across the pages.
    const QString all = pages.join('\n');
    qsizetype position = -1;
    for (const QList<ReportCell>& row : report->rows()) {
        const QRegularExpression room("\\b" + row[6].text + "\\b");
        const qsizetype found = all.indexOf(room, position + 1);
        ASSERT_GT(found, position) << row[6].text.toStdString();
        position = found;
        const QString line = all.mid(all.lastIndexOf('\n', found) + 1,
                                     all.indexOf('\n', found) - all.lastIndexOf('\n', found));
        EXPECT_TRUE(line.contains(row[5].text)) << line.toStdString();
        // A date may wrap in its narrow column: its first word stays on the row's first line.
        if (!row[4].text.isEmpty())
            EXPECT_TRUE(line.contains(row[4].text.section(' ', 0, 0))) << line.toStdString();
    }
}

// Under the users' own locales (the toolkit takes the C library's locale from the environment on
// Linux) every number in the workbook's XML still has a decimal point.
TEST_F(PrintoutTest, ExcelNumbersHaveADecimalPointInEveryLocale) {
    for (const char* name : UserLocales) {
        SCOPED_TRACE(name);
        const ProcessLocale locale(name);
        if (!locale.active())
            GTEST_SKIP() << "the machine lacks the locale " << name << " (scripts/setup.sh makes it)";
        ASSERT_TRUE(m_printout().saveExcel(target("schedule.xlsx")));
        EXPECT_EQ(NumbersWithoutDecimalPoint(target("schedule.xlsx")), "");
        EXPECT_EQ(ReadSheet(target("schedule.xlsx")).cells.at(CellName(0, 0)).text,
                  QString::fromUtf8("График проведения контроля"));
    }
}

TEST_F(PrintoutTest, ExcelHoldsTheSameValuesWithDateCells) {
    const std::optional<ScheduleReport> report = m_printout().take();
    ASSERT_TRUE(report);
    ASSERT_TRUE(m_printout().saveExcel(target("schedule.xlsx")));
    const Sheet sheet = ReadSheet(target("schedule.xlsx"));
    const auto text = [&](int column, int row) {
        const auto found = sheet.cells.find(CellName(column, row));
        return found == sheet.cells.end() ? QString("(none)") : found->second.text;
    };
    EXPECT_EQ(text(0, 0), QString::fromUtf8("График проведения контроля"));
    for (int line = 0; line < 4; ++line)
        EXPECT_EQ(text(0, line + 1), report->headingLines()[line]);
    const int titleRow = ReportWorkbook::TitleRow;
    EXPECT_EQ(text(4, titleRow), Merged);
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(text(column, titleRow), report->columns()[column].upperTitle);
    for (int column = 4; column < 8; ++column)
        EXPECT_EQ(text(column, titleRow + 1), report->columns()[column].lowerTitle);
    for (const char* range : {"E7:H7", "A7:A8", "B7:B8", "C7:C8", "D7:D8"})
        EXPECT_TRUE(sheet.merged.contains(range)) << range << " in " << sheet.merged.join(' ').toStdString();
    EXPECT_EQ(sheet.frozenTopLeft, "A9");

    int dates = 0;
    for (int row = 0; row < report->rows().size(); ++row) {
        const QList<ReportCell>& cells = report->rows()[row];
        const int sheetRow = titleRow + 2 + row;
        for (int column = 0; column < 8; ++column) {
            if (column == 4 && cells[4].date.isValid())
                continue;
            EXPECT_EQ(text(column, sheetRow).replace("(none)", ""), cells[column].text)
                << CellName(column, sheetRow).toStdString();
        }
        if (!cells[4].date.isValid())
            continue;
        const SheetCell& date = sheet.cells.at(CellName(4, sheetRow));
        ++dates;
        EXPECT_TRUE(date.number);
        EXPECT_DOUBLE_EQ(date.text.toDouble(), ExcelSerial(cells[4].date));
        ASSERT_LT(date.style, sheet.styleFormats.size());
        EXPECT_TRUE(sheet.styleFormats[date.style].startsWith(ReportWorkbook::DateFormat()))
            << sheet.styleFormats[date.style].toStdString();
    }
    EXPECT_GT(dates, 0);
}

TEST_F(PrintoutTest, AFolderThatRefusesWritingLeavesTheOldFilesAndSaysWhy) {
    const QByteArray given = qgetenv("ZOR_READONLY_FOLDER");
    const QString folder = given.isEmpty() ? m_files.filePath("locked") : QString::fromLocal8Bit(given);
    if (given.isEmpty()) {
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const char* name : {"schedule.pdf", "schedule.xlsx"}) {
            QFile old(QDir(folder).filePath(name));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
#ifdef _WIN32
        // Under Wine the folder's Linux permissions decide (the check runs it without the
        // capabilities that override them).
        testsupport::RunHostProgram("/bin/chmod", {"500", testsupport::HostPath(folder)});
#else
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
#endif
        QFile probe(QDir(folder).filePath("probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            // The folder's permissions do not stop this user (root): the test runs again in a mount
            // namespace of its own, where the folder is mounted read-only.
            probe.remove();
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("ZOR_READONLY_FOLDER", folder);
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(
                "unshare",
                QStringList{
                    "-m", "sh", "-c",
                    "mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\" && shift && exec \"$@\"",
                    "sh", folder, QCoreApplication::applicationFilePath(),
                    "--gtest_filter=PrintoutTest.AFolderThatRefusesWritingLeavesTheOldFilesAndSaysWhy"});
            ASSERT_TRUE(child.waitForFinished(120000));
            const QString output = QString::fromUtf8(child.readAll());
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (output.contains("unshare failed") || output.contains("Operation not permitted") ||
                output.contains("permission denied"))
                GTEST_SKIP() << "no mount namespaces here: " << output.toStdString();
            EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
            EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
            return;
        }
    }
    const QString pdf = QDir(folder).filePath("schedule.pdf");
    const QString xlsx = QDir(folder).filePath("schedule.xlsx");
    EXPECT_FALSE(m_printout().savePdf(pdf, Printed));
    EXPECT_FALSE(m_printout().saveExcel(xlsx));
    ASSERT_EQ(m_shell.errors.size(), 2);
    for (int index = 0; index < 2; ++index) {
        const QString path = index == 0 ? pdf : xlsx;
        const QString prefix = QString::fromUtf8("Не удалось сохранить файл «") +
                               QDir::toNativeSeparators(path) + QString::fromUtf8("»: ");
        EXPECT_TRUE(m_shell.errors[index].startsWith(prefix)) << m_shell.errors[index].toStdString();
        EXPECT_GT(m_shell.errors[index].size(), prefix.size() + 3) << "with the reason";
        EXPECT_EQ(ReadAll(path), "old");
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
#ifdef _WIN32
    testsupport::RunHostProgram("/bin/chmod", {"700", testsupport::HostPath(folder)});
#else
    if (given.isEmpty())
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
}
