// The clash pass through the SQL Server driver against the stand-in serving the demo database: it
// reads on a second connection of its own, and a connection dropped during the pass leaves no marks
// and no message while the schedule goes on working.
#include "signedinschedule.h"

#include "schedule/clashwatch.h"

#include <QJsonArray>
#include <QSignalSpy>

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
        return static_cast<int>(std::count_if(
            log.begin(), log.end(), [](const QJsonObject& o) { return o.value("kind").toString() == "login"; }));
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
