// The clash pass through the SQL Server driver against the stand-in serving the demo database: it
// reads on a second connection of its own, and a connection dropped during the pass leaves no marks
// and no message while the schedule goes on working.
#include "signedinschedule.h"

#include "schedule/clashes/clashwatch.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

class SqlServerClashTest : public SignedInSchedule {
protected:
    bool throughServer() const override { return true; }

    void SetUp() override {
        SignedInSchedule::SetUp();
        m_watch = std::make_unique<ClashWatch>(m_data, *m_editor, m_install.dataFolder());
    }

    void TearDown() override { m_watch.reset(); }

    void pickPeriod() {
        pickText(year(), QStringLiteral("2025/2026"));
        pickText(semester(), QString::fromUtf8("1-й семестр (осенний)"));
    }

    void pickGroup() {
        pickText(faculty(), QString::fromUtf8("Факультет информационных технологий"));
        pickText(group(), QString::fromUtf8("ИВТ-241"));
    }

    // The kinds of clash of the shown schedule, all records together.
    std::vector<ClashKind> shownKinds() {
        std::vector<ClashKind> kinds;
        for (int r = 0; r < schedule().recordCount(); ++r)
            for (const Clash& clash : m_watch->clashesOfRecord(r))
                kinds.push_back(clash.kind);
        std::sort(kinds.begin(), kinds.end());
        kinds.erase(std::unique(kinds.begin(), kinds.end()), kinds.end());
        return kinds;
    }

    int logins() const {
        const QList<QJsonObject> log = m_standIn->log();
        return static_cast<int>(std::count_if(log.begin(), log.end(), [](const QJsonObject& o) {
            return o.value("kind").toString() == "login";
        }));
    }

    // Waits until the stand-in holds back a statement by a delay rule of that many milliseconds.
    bool waitForDelay(int ms) {
        const auto delayed = [this, ms] {
            const QList<QJsonObject> log = m_standIn->log();
            return std::any_of(log.begin(), log.end(), [ms](const QJsonObject& o) {
                return o.value("kind").toString() == "fault" &&
                       o.value("rule").toObject().value("ms").toInt() == ms;
            });
        };
        for (QDeadlineTimer wait(10000); !delayed() && !wait.hasExpired();)
            QTest::qWait(10);
        return delayed();
    }

    std::unique_ptr<ClashWatch> m_watch;
};

} // namespace

TEST_F(SqlServerClashTest, APassReadsOnASecondConnectionAndMarksTheShownGroup) {
    const int loginsBefore = logins();
    QSignalSpy ended(m_watch.get(), &ClashWatch::passEnded);
    pickPeriod();
    pickGroup();
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_TRUE(ended.first().first().toBool());
    EXPECT_EQ(logins(), loginsBefore + 1) << "the pass signs in with the user's connection string";
    EXPECT_EQ(shownKinds(),
              (std::vector<ClashKind>{ClashKind::Room, ClashKind::Examiner, ClashKind::BusyDay}));
    EXPECT_GE(m_standIn->statements().filter("GetRatingTable").size(), 48);
    EXPECT_TRUE(m_shell.errors.isEmpty());
}

TEST_F(SqlServerClashTest, ADroppedPassLeavesNoMarksAndTheNextPickTriesAgain) {
    m_standIn->setFaultRules(
        QJsonArray{QJsonObject{{"match", "GetRatingTable"}, {"action", "drop"}, {"times", 1}}});
    QSignalSpy ended(m_watch.get(), &ClashWatch::passEnded);
    pickPeriod();
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_FALSE(ended.first().first().toBool());

    pickGroup();
    EXPECT_EQ(schedule().recordCount(), 12);
    EXPECT_EQ(shownKinds(), std::vector<ClashKind>());
    EXPECT_TRUE(m_shell.errors.isEmpty());
    EXPECT_TRUE(m_shell.plainMessages.isEmpty());
    // The editor's own connection was not the one dropped: saving works.
    schedule().edit();
    m_data.ADOQ_RatingTableAudience_1->setValue(QString::fromUtf8("1-999"));
    m_editor->save();
    EXPECT_EQ(schedule().state(), DataSetState::Browse);

    pickText(semester(), QString::fromUtf8("1-й семестр (осенний)"));
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_TRUE(ended.last().first().toBool());
    pickGroup();
    EXPECT_EQ(shownKinds(),
              (std::vector<ClashKind>{ClashKind::Room, ClashKind::Examiner, ClashKind::BusyDay}));
}

// A row saved while the pass still reads counts with its saved values once the pass ends, even
// when the pass read it before the save.
TEST_F(SqlServerClashTest, ARowSavedAfterThePassReadItCountsAsSaved) {
    // The pass reads the groups in the order of their keys, ИВТ-241 third; the fourth group's
    // schedule comes late, so that the save falls after the pass has read ИВТ-241. Only the pass
    // writes its call with a blank after "=".
    const QString passCall = QStringLiteral("GetRatingTable @id_a_year = ");
    m_standIn->setFaultRules(
        QJsonArray{QJsonObject{{"match", passCall}, {"action", "delay"}, {"ms", 0}, {"times", 3}},
                   QJsonObject{{"match", passCall}, {"action", "delay"}, {"ms", 3000}, {"times", 1}}});
    QSignalSpy ended(m_watch.get(), &ClashWatch::passEnded);
    pickPeriod();
    pickGroup();
    ASSERT_TRUE(waitForDelay(3000));
    const int discipline = schedule().columnIndex("Discipline");
    int moved = -1, sociology = -1;
    for (int r = 0; r < schedule().recordCount(); ++r) {
        const QString name = schedule().cellAt(r, discipline).toString();
        if (name == QString::fromUtf8("Дискретная математика"))
            moved = r;
        if (name == QString::fromUtf8("Социология"))
            sociology = r;
    }
    ASSERT_GE(moved, 0);
    ASSERT_GE(sociology, 0);
    // The group's second control of 17.01.2026 goes to a free day.
    schedule().setRecNo(moved + 1);
    schedule().edit();
    m_data.ADOQ_RatingTableDate_1->setValue(QDateTime(QDate(2026, 1, 30), QTime(0, 0)));
    m_editor->save();
    ASSERT_EQ(schedule().state(), DataSetState::Browse) << m_shell.errors.join('|').toStdString();
    ASSERT_TRUE(m_watch->passRunning()) << "the save fell after the pass";

    ASSERT_TRUE(ended.wait(30000));
    EXPECT_TRUE(ended.first().first().toBool());
    EXPECT_TRUE(m_watch->clashesOfRecord(sociology).empty());
    EXPECT_TRUE(m_watch->clashesOfRecord(moved).empty());
}

// A pass stuck in a statement does not keep the watch (and the program with it) from ending; the
// editor's own connection goes on working.
TEST_F(SqlServerClashTest, APassStuckInAStatementIsLeftBehindAtTheEnd) {
    m_standIn->setFaultRules(QJsonArray{QJsonObject{
        {"match", "GROUP BY id_group, p20, id_faculty"}, {"action", "delay"}, {"ms", 20000}, {"times", 1}}});
    pickPeriod();
    ASSERT_TRUE(waitForDelay(20000));
    QElapsedTimer ending;
    ending.start();
    m_watch.reset();
    EXPECT_LT(ending.elapsed(), 10000) << "the end waited for the stuck statement";
    pickGroup();
    EXPECT_EQ(schedule().recordCount(), 12);
    EXPECT_TRUE(m_shell.errors.isEmpty());
}
