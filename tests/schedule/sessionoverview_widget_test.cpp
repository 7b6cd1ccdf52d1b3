// The session overview window: opened from the main window's button, filtered by typing, an entry
// shown in the main window by a double click or Enter, a row saved in the main window shown in the
// open window, and a reading dropped by the SQL Server stand-in shown in the window and retried.
#include "signedinschedule.h"
#include "signedinwindow.h"

#include "schedule/overview/sessiondaymodel.h"
#include "schedule/overview/sessionlistmodel.h"
#include "schedule/overview/sessionoverview.h"
#include "schedule/widgets/sessionoverviewwindow.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

namespace {

bool WaitUntilRead(const SessionOverview& overview) {
    for (QDeadlineTimer wait(30000);
         overview.state() == SessionOverview::State::Reading && !wait.hasExpired();)
        QTest::qWait(10);
    return overview.state() != SessionOverview::State::Reading;
}

// Types a text as key presses, Cyrillic included.
void Type(QWidget* widget, const QString& text) {
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

class SessionOverviewWindowTest : public SignedInWindow {
protected:
    void SetUp() override {
        SignedInWindow::SetUp();
        showWindow();
    }

    SessionOverviewWindow* openOverview() {
        clickRow(m_window->YearDBLookupComboBox, "2025/2026");
        clickRow(m_window->SemesterDBLookupComboBox, QString::fromUtf8("1-й семестр (осенний)"));
        clickRow(m_window->FacultyDBLookupComboBox, QString::fromUtf8("Факультет информационных технологий"));
        EXPECT_TRUE(m_window->OverviewButton->isEnabled());
        QTest::mouseClick(m_window->OverviewButton, Qt::LeftButton);
        SessionOverviewWindow* window = m_window->sessionOverview();
        if (window == nullptr || !WaitUntilRead(window->overview()))
            return nullptr;
        return window;
    }

    QVariant currentKey() {
        const DataSet& schedule = *m_data.ADOQ_RatingTable;
        return schedule.cellAt(schedule.recNo() - 1, schedule.columnIndex("id_schedule"));
    }
};

class SqlServerOverviewWindowTest : public SignedInSchedule {
protected:
    bool throughServer() const override { return true; }
};

} // namespace

TEST_F(SessionOverviewWindowTest, TheButtonOpensTheFacultysSessionAndAnEntryGoesToTheMainWindow) {
    EXPECT_FALSE(m_window->OverviewButton->isEnabled());
    EXPECT_EQ(m_window->OverviewButton->focusPolicy(), Qt::NoFocus);
    SessionOverviewWindow* window = openOverview();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->overview().state(), SessionOverview::State::Ready);
    EXPECT_FALSE(window->progressBar()->isVisible());
    EXPECT_FALSE(window->retryButton()->isVisible());
    QTableView* list = window->listView();
    const int all = list->model()->rowCount();
    ASSERT_GE(all, 48);

    // Typing into a filter box narrows the list at once.
    Type(window->groupFilter(), QString::fromUtf8("ивт-241"));
    const int narrowed = list->model()->rowCount();
    ASSERT_GT(narrowed, 0);
    ASSERT_LT(narrowed, all);
    for (int row = 0; row < narrowed; ++row)
        EXPECT_EQ(list->model()->index(row, SessionListModel::Group).data().toString(),
                  QString::fromUtf8("ИВТ-241"));

    // A double click picks the group in the main window and makes the discipline's row current.
    const QModelIndex chosen = list->model()->index(narrowed - 1, SessionListModel::Discipline);
    const SessionEntry entry = window->overview().entries()[chosen.data(SessionListModel::EntryRole).toInt()];
    list->scrollTo(chosen);
    const QPoint at = list->visualRect(chosen).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(editor().group().shownText(), QString::fromUtf8("ИВТ-241"));
    EXPECT_EQ(currentKey().toString(), entry.key());
    EXPECT_EQ(m_data.ADOQ_RatingTableDiscipline->value().toString(), entry.clash.discipline);

    // Enter on a cell of the day table: another group, its control of that day.
    window->groupFilter()->clear();
    window->views()->setCurrentWidget(window->dayView());
    QTableView* days = window->dayView();
    QModelIndex cell;
    for (int row = 0; row < days->model()->rowCount() && !cell.isValid(); ++row) {
        if (days->model()->headerData(row, Qt::Vertical).toString() == QString::fromUtf8("ИВТ-241"))
            continue;
        for (int column = 0; column < days->model()->columnCount() && !cell.isValid(); ++column)
            if (days->model()->index(row, column).data(SessionDayModel::EntryRole).isValid())
                cell = days->model()->index(row, column);
    }
    ASSERT_TRUE(cell.isValid());
    const SessionEntry other = window->overview().entries()[cell.data(SessionDayModel::EntryRole).toInt()];
    days->setFocus();
    days->setCurrentIndex(cell);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_EQ(editor().group().shownText(), other.clash.group);
    EXPECT_EQ(currentKey().toString(), other.key());
    EXPECT_TRUE(m_shell.errors.isEmpty());
}

// Every cell of the day table shows its whole wrapped text: a row is as tall as its fullest cell,
// a one-control day with a long discipline included.
TEST_F(SessionOverviewWindowTest, DayRowsFitTheWrappedTextOfTheirCells) {
    SessionOverviewWindow* window = openOverview();
    ASSERT_NE(window, nullptr);
    window->views()->setCurrentWidget(window->dayView());
    QTableView* days = window->dayView();
    const QFontMetrics metrics = days->fontMetrics();
    const QString longest = QString::fromUtf8("Теория вероятностей и математическая статистика");
    bool longestSeen = false;
    for (int row = 0; row < days->model()->rowCount(); ++row) {
        for (int column = 0; column < days->model()->columnCount(); ++column) {
            const QString text = days->model()->index(row, column).data().toString();
            if (text.isEmpty())
                continue;
            longestSeen = longestSeen || text.contains(longest);
            const QRect needed = metrics.boundingRect(QRect(0, 0, days->columnWidth(column) - 8, 100000),
                                                      Qt::TextWordWrap, text);
            EXPECT_LE(needed.height() + 6, days->rowHeight(row))
                << days->model()->headerData(row, Qt::Vertical).toString().toStdString() << " | "
                << text.toStdString();
        }
    }
    EXPECT_TRUE(longestSeen);
}

TEST_F(SessionOverviewWindowTest, ARowSavedInTheMainWindowShowsInTheOpenOverview) {
    SessionOverviewWindow* window = openOverview();
    ASSERT_NE(window, nullptr);
    clickRow(m_window->GroupDBLookupComboBox, QString::fromUtf8("ИВТ-231"));
    m_data.ADOQ_RatingTable->setRecNo(2);
    const QString key = currentKey().toString();
    m_data.ADOQ_RatingTable->edit();
    m_data.ADOQ_RatingTableAudience_1->setValue(QString::fromUtf8("Л-555"));
    QTest::mouseClick(m_window->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(m_data.ADOQ_RatingTable->state(), DataSetState::Browse)
        << m_shell.errors.join('|').toStdString();

    EXPECT_EQ(window->overview().state(), SessionOverview::State::Ready);
    Type(window->roomFilter(), QString::fromUtf8("Л-555"));
    QTableView* list = window->listView();
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(window->overview()
                  .entries()[list->model()->index(0, 0).data(SessionListModel::EntryRole).toInt()]
                  .key(),
              key);
    EXPECT_EQ(list->model()->index(0, SessionListModel::Room).data().toString(), QString::fromUtf8("Л-555"));

    // The same faculty again brings this window forward; it is not read again.
    QTest::mouseClick(m_window->OverviewButton, Qt::LeftButton);
    EXPECT_EQ(m_window->sessionOverview(), window);
    EXPECT_EQ(window->overview().state(), SessionOverview::State::Ready);
}

TEST_F(SqlServerOverviewWindowTest, ADroppedReadingShowsItsErrorAndTheRetryReads) {
    pickText(year(), QStringLiteral("2025/2026"));
    pickText(semester(), QString::fromUtf8("1-й семестр (осенний)"));
    pickText(faculty(), QString::fromUtf8("Факультет информационных технологий"));
    m_standIn->setFaultRules(
        QJsonArray{QJsonObject{{"match", "GetRatingTable @id_a_year = "}, {"action", "drop"}, {"times", 1}}});
    auto overview = std::make_unique<SessionOverview>(
        SessionOverview::ScopeOf(*m_editor), m_data.ADOCon->connectionString(),
        m_data.ADOCon->commandTimeout(), m_install.dataFolder());
    SessionOverview* reading = overview.get();
    reading->read();
    SessionOverviewWindow window(std::move(overview), m_shell);
    // The reading tells of its end through the event loop, which has not run yet.
    EXPECT_FALSE(window.progressBar()->isHidden());
    EXPECT_TRUE(window.retryButton()->isHidden());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(WaitUntilRead(*reading));

    ASSERT_EQ(reading->state(), SessionOverview::State::Failed);
    EXPECT_TRUE(window.retryButton()->isVisible());
    EXPECT_FALSE(window.progressBar()->isVisible());
    EXPECT_EQ(window.statusLabel()->text(), reading->errorText());
    EXPECT_TRUE(window.statusLabel()->text().startsWith(
        QString::fromUtf8("Не удалось прочитать расписание факультета: связь с сервером прервалась (")));
    EXPECT_FALSE(window.excelAction()->isEnabled());
    EXPECT_TRUE(m_shell.errors.isEmpty()) << "the window says it, not an error box";

    QTest::mouseClick(window.retryButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitUntilRead(*reading));
    ASSERT_EQ(reading->state(), SessionOverview::State::Ready) << reading->errorText().toStdString();
    EXPECT_FALSE(window.retryButton()->isVisible());
    EXPECT_GE(window.listView()->model()->rowCount(), 48);
    EXPECT_TRUE(window.excelAction()->isEnabled());
    EXPECT_TRUE(window.statusLabel()->text().startsWith(QString::fromUtf8("Групп: ")));
}

// Saving from the window: the file named in the dialog is replaced whole (PDF of the view on show,
// the workbook of both), the extension added when left out; a file that cannot be written leaves the
// old one and says why.
TEST_F(SessionOverviewWindowTest, SavesReplaceFilesWholeAndSayWhyWhenTheyCannot) {
    SessionOverviewWindow* window = openOverview();
    ASSERT_NE(window, nullptr);
    QTemporaryDir folder;
    QString answer;
    QString suggested;
    window->setFileNameAsker([&](const QString&, const QString& offered, const QString&) {
        suggested = offered;
        return answer;
    });
    const struct {
        QAction* action;
        const char* name;
        QByteArray magic;
    } saves[] = {{window->pdfAction(), "session", "%PDF"}, {window->excelAction(), "session", "PK"}};
    for (const auto& save : saves) {
        const QString extension = save.action == window->pdfAction() ? "pdf" : "xlsx";
        const QString path = folder.filePath(QString::fromLatin1(save.name) + '.' + extension);
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(200000, 'x'));
        old.close();
        answer = folder.filePath(QString::fromLatin1(save.name));
        save.action->trigger();
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        EXPECT_TRUE(bytes.startsWith(save.magic)) << extension.toStdString();
        EXPECT_FALSE(bytes.contains(QByteArray(1000, 'x')));
        EXPECT_TRUE(QFileInfo(suggested).fileName().startsWith(
            QString::fromUtf8("Факультет информационных технологий")))
            << suggested.toStdString();
    }
    EXPECT_TRUE(m_shell.errors.isEmpty());

    answer = folder.filePath("no-such-folder/session.xlsx");
    window->excelAction()->trigger();
    ASSERT_EQ(m_shell.errors.size(), 1);
    EXPECT_TRUE(m_shell.errors.first().startsWith(QString::fromUtf8("Не удалось сохранить файл")))
        << m_shell.errors.first().toStdString();
}
