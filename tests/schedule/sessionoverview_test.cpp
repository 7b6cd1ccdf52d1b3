// The session overview of a faculty on the demo database, through the embedded engine and through
// the SQL Server driver against the stand-in: its rows against every group's schedule as the
// editor opens it, the filters, the day table, the undated entries apart, the clash marks, a
// saved row and going to an entry.
#include "signedinschedule.h"

#include "data/field.h"
#include "schedule/clashes/clashrules.h"
#include "schedule/clashes/clashwatch.h"
#include "schedule/overview/sessiondaymodel.h"
#include "schedule/overview/sessionlistmodel.h"
#include "schedule/overview/sessionoverview.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <set>

namespace {

const QString Faculty = QString::fromUtf8("Факультет информационных технологий");

// One control as the editor's schedule shows it.
struct Expected {
    QString group;
    QString discipline;
    QString form;
    QString examiner;
    QDate date;
    QString time;
    QString room;
    QString type;

    QString text() const {
        return QStringList{group, discipline, form, examiner, date.toString(Qt::ISODate), time, room, type}
            .join('|');
    }
};

QString TextOf(const SessionEntry& entry) {
    return Expected{entry.clash.group, entry.clash.discipline, entry.form,       entry.clash.examiner,
                    entry.clash.date,  entry.clash.time,       entry.clash.room, entry.type}
        .text();
}

class SessionOverviewTest : public SignedInSchedule {
protected:
    // Two controls of the faculty without a date: one each of its last two groups by name.
    void prepareDatabase() override {
        for (int offset : {0, 1})
            testsupport::ExecuteSql(
                m_database,
                "UPDATE ControlSchedule SET Date_1 = NULL WHERE id_schedule = (SELECT MAX(cs.id_schedule) "
                "FROM ControlSchedule cs WHERE cs.id_a_year = 3 AND cs.id_semester = 1 AND cs.id_group = "
                "(SELECT g.id_group FROM StudyGroup g JOIN ControlSchedule s ON s.id_group = g.id_group "
                "WHERE s.id_a_year = 3 AND s.id_semester = 1 AND g.id_faculty = (SELECT id_faculty FROM "
                "StudyGroup WHERE GroupName = 'ИВТ-231') GROUP BY g.id_group, g.GroupName "
                "ORDER BY g.GroupName DESC LIMIT 1 OFFSET :offset))",
                {{"offset", offset}});
    }

    void pickFaculty() {
        pickText(year(), QStringLiteral("2025/2026"));
        pickText(semester(), QString::fromUtf8("1-й семестр (осенний)"));
        pickText(faculty(), Faculty);
    }

    // The overview of the chosen faculty, read to its end.
    std::unique_ptr<SessionOverview> readOverview() {
        auto overview = std::make_unique<SessionOverview>(
            SessionOverview::ScopeOf(*m_editor), m_data.ADOCon->connectionString(),
            m_data.ADOCon->commandTimeout(), m_install.dataFolder());
        QSignalSpy state(overview.get(), &SessionOverview::stateChanged);
        overview->read();
        while (overview->state() == SessionOverview::State::Reading && state.wait(30000)) {
        }
        return overview;
    }

    // Every control of the faculty, opening each group in the editor as a user would.
    std::vector<Expected> expectedEntries() {
        std::vector<Expected> expected;
        for (int row = 0; row < group().rowCount(); ++row) {
            group().pickRow(row);
            const Query& rating = schedule();
            for (int r = 0; r < rating.recordCount(); ++r) {
                const QVariant date = m_data.ADOQ_RatingTableDate_1->valueAt(r);
                expected.push_back({group().rowText(row),
                                    m_data.ADOQ_RatingTableDiscipline->valueAt(r).toString(),
                                    m_data.ADOQ_RatingTableFKontr->valueAt(r).toString(),
                                    m_data.ADOQ_RatingTablet_fio->valueAt(r).toString(),
                                    date.isNull() ? QDate() : date.toDateTime().date(),
                                    m_data.ADOQ_RatingTableTime_1->valueAt(r).toString(),
                                    m_data.ADOQ_RatingTableAudience_1->valueAt(r).toString(),
                                    m_data.ADOQ_RatingTableTypeControl->valueAt(r).toString()});
            }
        }
        return expected;
    }

    static QStringList Texts(const std::vector<Expected>& entries) {
        QStringList texts;
        for (const Expected& entry : entries)
            texts << entry.text();
        texts.sort();
        return texts;
    }

    static QStringList ListTexts(const SessionListModel& model) {
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts << TextOf(model.entryAt(row));
        texts.sort();
        return texts;
    }
};

class SqlServerSessionOverviewTest : public SessionOverviewTest {
protected:
    bool throughServer() const override { return true; }
};

} // namespace

TEST_F(SessionOverviewTest, TheListHoldsEveryGroupsScheduleWithTheUndatedApart) {
    pickFaculty();
    const std::unique_ptr<SessionOverview> overview = readOverview();
    ASSERT_EQ(overview->state(), SessionOverview::State::Ready) << overview->errorText().toStdString();
    const SessionListModel dated(*overview, SessionListModel::Part::Dated);
    const SessionListModel undated(*overview, SessionListModel::Part::Undated);

    const std::vector<Expected> expected = expectedEntries();
    std::vector<Expected> expectedDated, expectedUndated;
    for (const Expected& entry : expected)
        (entry.date.isValid() ? expectedDated : expectedUndated).push_back(entry);
    ASSERT_GE(expected.size(), 48u);
    ASSERT_EQ(expectedUndated.size(), 2u);
    EXPECT_EQ(ListTexts(dated), Texts(expectedDated));
    EXPECT_EQ(ListTexts(undated), Texts(expectedUndated));
    EXPECT_EQ(static_cast<int>(overview->groups().size()), group().rowCount());
    EXPECT_EQ(overview->groupsRead(), group().rowCount());

    // In order of date and start time; the cells as the columns say.
    for (int row = 1; row < dated.rowCount(); ++row) {
        const SessionEntry& before = dated.entryAt(row - 1);
        const SessionEntry& after = dated.entryAt(row);
        EXPECT_TRUE(before.clash.date < after.clash.date ||
                    (before.clash.date == after.clash.date &&
                     ClashRules::StartKey(before.clash.time) <= ClashRules::StartKey(after.clash.time)))
            << row;
    }
    const SessionEntry& first = dated.entryAt(0);
    const QString cells[] = {QLocale().toString(first.clash.date, QLocale::ShortFormat),
                             first.clash.time,
                             first.clash.group,
                             first.clash.discipline,
                             first.form,
                             first.clash.examiner,
                             first.clash.room,
                             first.type};
    for (int column = 0; column < SessionListModel::ColumnCount; ++column)
        EXPECT_EQ(dated.index(0, column).data().toString(), cells[column]) << column;
    EXPECT_EQ(undated.index(0, SessionListModel::Date).data().toString(), QString());
}

TEST_F(SessionOverviewTest, FiltersNarrowTheListAndTheDayTable) {
    pickFaculty();
    const std::unique_ptr<SessionOverview> overview = readOverview();
    ASSERT_EQ(overview->state(), SessionOverview::State::Ready);
    const SessionListModel dated(*overview, SessionListModel::Part::Dated);
    const SessionListModel undated(*overview, SessionListModel::Part::Undated);
    const SessionDayModel days(*overview);
    const std::vector<Expected> expected = expectedEntries();
    const Expected& sample = expected[expected.size() / 2];

    const struct {
        SessionFilter filter;
        std::function<bool(const Expected&)> keeps;
    } cases[] = {
        {{QStringLiteral(" ивт-24 "), {}, {}},
         [](const Expected& e) { return e.group.contains(QString::fromUtf8("ИВТ-24")); }},
        {{{}, sample.examiner.left(5).toLower(), {}},
         [&](const Expected& e) {
             return e.examiner.contains(sample.examiner.left(5), Qt::CaseInsensitive);
         }},
        {{{}, {}, sample.room},
         [&](const Expected& e) { return e.room.contains(sample.room, Qt::CaseInsensitive); }},
        {{sample.group, {}, sample.room},
         [&](const Expected& e) { return e.group.contains(sample.group) && e.room.contains(sample.room); }},
        {{QStringLiteral("нет такой группы"), {}, {}}, [](const Expected&) { return false; }},
    };
    for (const auto& c : cases) {
        overview->setFilter(c.filter);
        std::vector<Expected> kept;
        std::copy_if(expected.begin(), expected.end(), std::back_inserter(kept), c.keeps);
        QStringList shown = ListTexts(dated) + ListTexts(undated);
        shown.sort();
        EXPECT_EQ(shown, Texts(kept))
            << c.filter.group.toStdString() << c.filter.examiner.toStdString() << c.filter.room.toStdString();
        // The day table shows the groups and days of what is kept.
        QSet<QString> keptGroups;
        QSet<QDate> keptDays;
        for (const Expected& e : kept) {
            if (e.date.isValid()) {
                keptGroups.insert(e.group);
                keptDays.insert(e.date);
            }
        }
        EXPECT_EQ(days.columnCount(), keptDays.size());
        for (int row = 0; row < days.rowCount(); ++row)
            EXPECT_TRUE(c.filter.matchesGroup(days.groupName(row)));
        if (!c.filter.examiner.isEmpty() || !c.filter.room.isEmpty())
            EXPECT_EQ(days.rowCount(), keptGroups.size());
    }
    overview->setFilter({});
    EXPECT_EQ(dated.rowCount() + undated.rowCount(), static_cast<int>(expected.size()));
}

TEST_F(SessionOverviewTest, TheDayTableHasAColumnADayAndARowAGroup) {
    pickFaculty();
    const std::unique_ptr<SessionOverview> overview = readOverview();
    ASSERT_EQ(overview->state(), SessionOverview::State::Ready);
    const SessionDayModel days(*overview);
    const std::vector<Expected> expected = expectedEntries();

    std::set<QDate> dates;
    for (const Expected& e : expected)
        if (e.date.isValid())
            dates.insert(e.date);
    ASSERT_EQ(days.columnCount(), static_cast<int>(dates.size()));
    int column = 0;
    for (const QDate& date : dates) {
        EXPECT_EQ(days.day(column), date);
        EXPECT_EQ(days.headerData(column, Qt::Horizontal).toString(), SessionDayModel::DayTitle(date));
        ++column;
    }
    ASSERT_EQ(days.rowCount(), group().rowCount());
    int busy = 0;
    for (int row = 0; row < days.rowCount(); ++row) {
        for (column = 0; column < days.columnCount(); ++column) {
            std::vector<Expected> that;
            for (const Expected& e : expected)
                if (e.group == days.groupName(row) && e.date == days.day(column))
                    that.push_back(e);
            std::stable_sort(that.begin(), that.end(), [](const Expected& a, const Expected& b) {
                return ClashRules::StartKey(a.time) < ClashRules::StartKey(b.time);
            });
            QStringList lines;
            for (const Expected& e : that)
                lines << e.time + ' ' + e.discipline;
            EXPECT_EQ(days.index(row, column).data().toString(), lines.join('\n'))
                << days.groupName(row).toStdString() << " " << days.day(column).toString().toStdString();
            busy += that.size() > 1;
        }
    }
    EXPECT_GE(busy, 1) << "the demo's busy day of ИВТ-241";
    EXPECT_EQ(SessionDayModel::DayTitle(QDate(2026, 1, 12)), QString::fromUtf8("пн 12.01.2026"));
}

// The marks and tooltips are those the main window's grid shows for the same entry.
TEST_F(SessionOverviewTest, ClashMarksAreTheMainWindowsOnes) {
    ClashWatch watch(m_data, *m_editor, m_install.dataFolder());
    QSignalSpy ended(&watch, &ClashWatch::passEnded);
    pickFaculty();
    ASSERT_TRUE(ended.wait(30000));
    const std::unique_ptr<SessionOverview> overview = readOverview();
    overview->setClashes(&watch);
    const SessionListModel dated(*overview, SessionListModel::Part::Dated);
    const SessionDayModel days(*overview);
    pickText(group(), QString::fromUtf8("ИВТ-241"));

    int marked = 0;
    for (int record = 0; record < schedule().recordCount(); ++record) {
        const QString key = schedule().cellAt(record, schedule().columnIndex("id_schedule")).toString();
        int row = 0;
        while (row < dated.rowCount() && dated.entryAt(row).key() != key)
            ++row;
        ASSERT_LT(row, dated.rowCount());
        const struct {
            int column;
            const char* field;
        } columns[] = {{SessionListModel::Date, "Date_1"},
                       {SessionListModel::Time, "Time_1"},
                       {SessionListModel::Room, "Audience_1"},
                       {SessionListModel::Examiner, "t_fio"},
                       {SessionListModel::Discipline, "Discipline"}};
        for (const auto& c : columns) {
            const CellMark mark = watch.cellMark(record, c.field);
            const QModelIndex cell = dated.index(row, c.column);
            EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), mark.toolTip) << c.field;
            EXPECT_EQ(cell.data(Qt::BackgroundRole).value<QColor>(), mark.tint) << c.field;
            marked += !mark.isEmpty();
        }
    }
    EXPECT_GE(marked, 3);
    // The day table tints the days of ИВТ-241 with a clash and lists the clashes in the tooltip.
    int tinted = 0;
    for (int row = 0; row < days.rowCount(); ++row) {
        if (days.groupName(row) != QString::fromUtf8("ИВТ-241"))
            continue;
        for (int column = 0; column < days.columnCount(); ++column) {
            const QModelIndex cell = days.index(row, column);
            if (!cell.data(Qt::BackgroundRole).isValid())
                continue;
            ++tinted;
            EXPECT_TRUE(cell.data(Qt::ToolTipRole).toString().contains(QString::fromUtf8("ауд.")));
        }
    }
    EXPECT_GE(tinted, 2);
}

TEST_F(SessionOverviewTest, ASavedRowShowsWithoutReadingAgain) {
    pickFaculty();
    const std::unique_ptr<SessionOverview> overview = readOverview();
    overview->follow(m_data, *m_editor);
    const SessionListModel dated(*overview, SessionListModel::Part::Dated);
    const SessionListModel undated(*overview, SessionListModel::Part::Undated);
    QSignalSpy state(overview.get(), &SessionOverview::stateChanged);
    const int before = dated.rowCount() + undated.rowCount();

    pickText(group(), QString::fromUtf8("ИВТ-231"));
    schedule().setRecNo(3);
    const QString key = currentKey().toString();
    schedule().edit();
    m_data.ADOQ_RatingTableAudience_1->setValue(QString::fromUtf8("Л-777"));
    m_data.ADOQ_RatingTableDate_1->setValue(QDateTime(QDate(2026, 2, 2), QTime(0, 0)));
    m_editor->save();
    ASSERT_EQ(schedule().state(), DataSetState::Browse) << m_shell.errors.join('|').toStdString();

    overview->setFilter({{}, {}, QString::fromUtf8("л-777")});
    ASSERT_EQ(dated.rowCount(), 1);
    EXPECT_EQ(dated.entryAt(0).key(), key);
    EXPECT_EQ(dated.index(0, SessionListModel::Date).data().toString(),
              QLocale().toString(QDate(2026, 2, 2), QLocale::ShortFormat));
    overview->setFilter({});
    EXPECT_EQ(dated.rowCount() + undated.rowCount(), before);
    EXPECT_EQ(state.count(), 0) << "nothing was read again";
}

TEST_F(SessionOverviewTest, ShowingAnEntryPicksItsGroupAndRow) {
    pickFaculty();
    const std::unique_ptr<SessionOverview> overview = readOverview();
    const SessionOverview::Scope scope = overview->scope();
    // Another faculty chosen meanwhile: the picks go back to the overview's.
    faculty().pickRow(faculty().rowOfKey() == 0 ? 1 : 0);
    const SessionEntry& entry = overview->entries().back();
    ASSERT_TRUE(m_editor->showEntry(scope.year, scope.semester, scope.faculty, entry.clash.groupKey,
                                    entry.key(), entry.row));
    EXPECT_EQ(faculty().shownText(), Faculty);
    EXPECT_EQ(group().shownText(), entry.clash.group);
    EXPECT_EQ(currentKey().toString(), entry.key());
    EXPECT_EQ(m_data.ADOQ_RatingTableDiscipline->value().toString(), entry.clash.discipline);
    // A key that is no longer there: nothing to show.
    EXPECT_FALSE(m_editor->showEntry(scope.year, scope.semester, scope.faculty, entry.clash.groupKey,
                                     QStringLiteral("999999"), -1));
    EXPECT_TRUE(m_shell.errors.isEmpty());
}

// Each failure says in Russian what happened, with the server's own text, and a retry reads all.
TEST_F(SqlServerSessionOverviewTest, ReadsTheSameThroughTheDriverAndRetriesAfterAFailure) {
    pickFaculty();
    const std::vector<Expected> expected = expectedEntries();
    const struct {
        QJsonObject rule;
        SessionOverview::Failure failure;
        QString serverText;
    } cases[] = {
        {{{"match", "GetRatingTable @id_a_year = "}, {"action", "drop"}, {"times", 1}},
         SessionOverview::Failure::ConnectionLost,
         {}},
        {{{"match", "GetRatingTable @id_a_year = "},
          {"action", "error"},
          {"number", 229},
          {"message", QString::fromUtf8("Нет разрешения EXECUTE на GetRatingTable")},
          {"times", 1}},
         SessionOverview::Failure::Refused,
         QString::fromUtf8("Нет разрешения EXECUTE на GetRatingTable")},
    };
    for (const auto& c : cases) {
        m_standIn->setFaultRules(QJsonArray{c.rule});
        auto overview = readOverview();
        ASSERT_EQ(overview->state(), SessionOverview::State::Failed);
        const QString text = overview->errorText();
        const QString bare = SessionOverview::FailureText(c.failure, QString());
        EXPECT_TRUE(text.startsWith(bare.left(bare.indexOf(QString::fromUtf8(". Нажмите")))))
            << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::fromUtf8(". Нажмите «Повторить», чтобы прочитать его снова.")));
        EXPECT_GT(text.size(), bare.size()) << "the server's own text is there";
        if (!c.serverText.isEmpty())
            EXPECT_EQ(text, SessionOverview::FailureText(c.failure, c.serverText));
        EXPECT_TRUE(overview->entries().empty());

        QSignalSpy state(overview.get(), &SessionOverview::stateChanged);
        overview->read();
        while (overview->state() == SessionOverview::State::Reading && state.wait(30000)) {
        }
        ASSERT_EQ(overview->state(), SessionOverview::State::Ready) << overview->errorText().toStdString();
        const SessionListModel dated(*overview, SessionListModel::Part::Dated);
        const SessionListModel undated(*overview, SessionListModel::Part::Undated);
        QStringList shown = ListTexts(dated) + ListTexts(undated);
        shown.sort();
        EXPECT_EQ(shown, Texts(expected));
    }
    EXPECT_TRUE(m_shell.errors.isEmpty());
}

TEST_F(SessionOverviewTest, AServerThatCannotBeReachedIsSaidSo) {
    pickFaculty();
    SessionOverview overview(
        SessionOverview::ScopeOf(*m_editor),
        "User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=nowhere.db", 5,
        m_install.dataFolder());
    QSignalSpy state(&overview, &SessionOverview::stateChanged);
    overview.read();
    while (overview.state() == SessionOverview::State::Reading && state.wait(30000)) {
    }
    ASSERT_EQ(overview.state(), SessionOverview::State::Failed);
    EXPECT_TRUE(overview.errorText().startsWith(
        QString::fromUtf8("Не удалось прочитать расписание факультета: нет соединения с сервером (")))
        << overview.errorText().toStdString();
}

// Closing an overview whose reading is stuck in a statement does not wait for the statement; the
// editor's own connection goes on working.
TEST_F(SqlServerSessionOverviewTest, AReadingStuckInAStatementIsLeftBehind) {
    pickFaculty();
    m_standIn->setFaultRules(QJsonArray{QJsonObject{
        {"match", "GROUP BY id_group, p20\r\n"}, {"action", "delay"}, {"ms", 20000}, {"times", 1}}});
    auto overview = std::make_unique<SessionOverview>(
        SessionOverview::ScopeOf(*m_editor), m_data.ADOCon->connectionString(),
        m_data.ADOCon->commandTimeout(), m_install.dataFolder());
    overview->read();
    const auto held = [this] {
        const QList<QJsonObject> log = m_standIn->log();
        return std::any_of(log.begin(), log.end(),
                           [](const QJsonObject& o) { return o.value("kind").toString() == "fault"; });
    };
    for (QDeadlineTimer wait(10000); !held() && !wait.hasExpired();)
        QTest::qWait(10);
    ASSERT_TRUE(held());
    QElapsedTimer closing;
    closing.start();
    overview.reset();
    EXPECT_LT(closing.elapsed(), 5000) << "the end waited for the stuck statement";
    group().pickRow(0);
    EXPECT_GE(schedule().recordCount(), 1);
    EXPECT_TRUE(m_shell.errors.isEmpty());
}
