// Editing and saving the schedule against the demo database: the Save button's state, what a post
// writes, failures that keep the user's values, and the questions that keep an unsaved change from
// being lost when a pick or the window's closing would drop it. A value is typed the way the grid
// will do it: the row enters edit and the text goes into the current row's field.
#include "signedinschedule.h"

#include "data/dataerror.h"
#include "platform/silentabort.h"
#include "support/errortext.h"
#include "support/storedvalue.h"

namespace {

const QString Question = QString::fromUtf8("Сохранить изменения?");
const QString Refusal = QString::fromUtf8("Аудитория Х-0 закрыта на ремонт");

class SavingTest : public SignedInSchedule {
protected:
    // Records which columns each UPDATE of the schedule's base table names in its SET list.
    void prepareDatabase() override {
        QString sql = "CREATE TABLE UpdateLog (n INTEGER PRIMARY KEY, column_name TEXT);"
                      "INSERT INTO sys_permissions VALUES ('zor_demo', 'INSERT', 'UpdateLog');";
        for (const char* column : {"Date_1", "Time_1", "Audience_1", "id_typeControl_1", "id_group"})
            sql += QString("CREATE TRIGGER log_%1 AFTER UPDATE OF %1 ON ControlSchedule "
                           "BEGIN INSERT INTO UpdateLog (column_name) VALUES ('%1'); END;")
                       .arg(column);
        testsupport::ExecuteSql(m_database, sql);
    }

    void SetUp() override {
        SignedInSchedule::SetUp();
        pickDemoGroup();
        schedule().setRecNo(3);
        m_key = currentKey();
        m_saveButton.clear();
    }

    // What the grid does with a typed value: the row enters edit and the text goes into the field.
    void type(Field* field, const QString& text) {
        schedule().edit();
        field->setAsString(text);
    }

    // The columns the UPDATE statements named in their SET lists.
    QStringList writtenColumns() {
        QStringList columns;
        for (const QVariant& value :
             testsupport::StoredColumn(m_database, "SELECT column_name FROM UpdateLog ORDER BY n"))
            columns << value.toString();
        return columns;
    }

    // The server refuses any room "Х-0" with the text of Refusal.
    void refuseRoom() {
        testsupport::ExecuteSql(m_database,
                                "CREATE TRIGGER refuse_room BEFORE UPDATE OF Audience_1 ON ControlSchedule "
                                "WHEN NEW.Audience_1 = 'Х-0' BEGIN SELECT RAISE(ABORT, '" +
                                    Refusal + "'); END;");
    }

    QVariant m_key;
};

} // namespace

TEST_F(SavingTest, TypingEnablesSaveAndSaveWritesOnlyTheChangedColumns) {
    const QDateTime morning(QDate(2027, 1, 14), QTime(9, 0));
    const struct {
        QList<QPair<Field * TDM_MB::*, QVariant>> typed;
        QStringList written;
    } cases[] = {
        {{{&TDM_MB::ADOQ_RatingTableAudience_1, QString::fromUtf8("Ауд-7")}}, {"Audience_1"}},
        {{{&TDM_MB::ADOQ_RatingTableDate_1, morning}}, {"Date_1"}},
        {{{&TDM_MB::ADOQ_RatingTableTypeControl, QString::fromUtf8("Тестирование")}}, {"id_typeControl_1"}},
        {{{&TDM_MB::ADOQ_RatingTableTime_1, "09:30"},
          {&TDM_MB::ADOQ_RatingTableAudience_1, QString::fromUtf8("Б-12")}},
         {"Time_1", "Audience_1"}},
    };
    for (const auto& item : cases) {
        testsupport::ExecuteSql(m_database, "DELETE FROM UpdateLog");
        m_saveButton.clear();
        for (const auto& [field, value] : item.typed) {
            schedule().edit();
            (m_data.*field)->setValue(value);
            EXPECT_TRUE(m_editor->saveEnabled()) << "enabled from the first change on";
        }
        m_editor->save();
        QStringList written = writtenColumns();
        written.sort(); // triggers fire in their own order
        QStringList expected = item.written;
        expected.sort();
        EXPECT_EQ(written, expected);
        EXPECT_EQ(m_saveButton, QList<bool>({true, false}));
        EXPECT_EQ(schedule().state(), DataSetState::Browse);
        for (const auto& [field, value] : item.typed)
            EXPECT_EQ((m_data.*field)->value(), value);
    }
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Б-12"));
    EXPECT_EQ(stored("Time_1", m_key).toString(), "09:30");
    EXPECT_EQ(stored("id_typeControl_1", m_key).toInt(), 4);
    EXPECT_EQ(stored("Date_1", m_key).toDateTime(), morning);
}

TEST_F(SavingTest, AServerErrorKeepsTheValuesAndSaveEnabled) {
    refuseRoom();
    type(m_data.ADOQ_RatingTableTime_1, "10:00");
    type(m_data.ADOQ_RatingTableAudience_1, QString::fromUtf8("Х-0"));
    EXPECT_EQ(ErrorText([&] { m_editor->save(); }), Refusal);
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), QString::fromUtf8("Х-0"));
    EXPECT_EQ(m_data.ADOQ_RatingTableTime_1->asString(), "10:00");
    EXPECT_TRUE(m_editor->saveEnabled());
    EXPECT_EQ(m_saveButton, QList<bool>({true}));

    // The cause removed, the same values are saved.
    testsupport::ExecuteSql(m_database, "DROP TRIGGER refuse_room");
    m_editor->save();
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Х-0"));
    EXPECT_EQ(stored("Time_1", m_key).toString(), "10:00");
    EXPECT_FALSE(m_editor->saveEnabled());
}

TEST_F(SavingTest, SaveWithoutARowInEditFails) {
    EXPECT_EQ(ErrorText([&] { m_editor->save(); }), "ADOQ_RatingTable: Dataset not in edit or insert mode");
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
}

// No row in edit, no Save: after a cancel, after a move that cancels an unchanged edit, after the
// schedule closes.
TEST_F(SavingTest, SaveIsDisabledWheneverNoRowIsInEdit) {
    const std::function<void()> endings[] = {
        [&] { schedule().cancel(); },
        [&] { schedule().next(); },
        [&] { schedule().close(); },
    };
    for (const auto& ending : endings) {
        schedule().edit();
        EXPECT_TRUE(m_editor->saveEnabled());
        ending();
        EXPECT_FALSE(m_editor->saveEnabled());
        if (!schedule().isActive())
            group().pickRow(0);
    }
    EXPECT_EQ(m_saveButton, QList<bool>({true, false, true, false, true, false}));
}

TEST_F(SavingTest, AMoveToAnotherRowPostsTheEditedRow) {
    type(m_data.ADOQ_RatingTableAudience_1, "Г-3");
    schedule().next();
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Г-3"));
    EXPECT_EQ(schedule().recNo(), 4);
    EXPECT_FALSE(m_editor->saveEnabled());
}

TEST_F(SavingTest, NoRowIsEverAdded) {
    schedule().last();
    m_key = currentKey();
    const int rows = schedule().recordCount();
    type(m_data.ADOQ_RatingTableAudience_1, "Д-4");
    EXPECT_THROW(schedule().append(), platform::SilentAbort);
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Д-4"));
    EXPECT_EQ(schedule().recordCount(), rows);
    EXPECT_FALSE(m_editor->saveEnabled());

    // A group whose schedule went away since its list was read: an edit is an append, refused.
    testsupport::ExecuteSql(m_database, "DELETE FROM ControlSchedule WHERE id_group = @g",
                            {{"g", group().rowKey(1)}});
    group().pickRow(1);
    ASSERT_TRUE(schedule().isEmpty());
    m_saveButton.clear();
    EXPECT_THROW(schedule().edit(), platform::SilentAbort);
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_TRUE(m_saveButton.isEmpty());
}

namespace {

enum class Answer { No, Yes, YesButThePostFails };

struct PickCase {
    const char* name;
    LookupSelector* selector;
    int row;
};

} // namespace

// A pick that would close the schedule with an unsaved change asks first. No drops the change and
// the pick goes on; Yes saves first; when that post fails the error is shown, the pick is undone and
// the schedule stays as it was, with the user's values and Save enabled.
TEST_F(SavingTest, APickThatWouldDropAChangeAsksFirst) {
    const PickCase picks[] = {{"year", &year(), 0},
                              {"semester", &semester(), 1},
                              {"faculty", &faculty(), 1},
                              {"group", &group(), 3}};
    refuseRoom();
    for (const PickCase& pick : picks) {
        for (const Answer answer : {Answer::No, Answer::Yes, Answer::YesButThePostFails}) {
            SCOPED_TRACE(std::string(pick.name) + " answer " + std::to_string(int(answer)));
            if (!schedule().isActive())
                pickDemoGroup();
            schedule().setRecNo(3);
            m_key = currentKey();
            const QString room = answer == Answer::YesButThePostFails ? QString::fromUtf8("Х-0")
                                                                      : QString("R-%1").arg(int(answer));
            const QVariant roomBefore = stored("Audience_1", m_key);
            type(m_data.ADOQ_RatingTableAudience_1, room);
            m_shell.boxes.clear();
            m_shell.errors.clear();
            m_shell.answers = {answer == Answer::No ? UserShell::AnswerNo : UserShell::AnswerYes};
            LookupSelector& selector = *pick.selector;
            const QString shownBefore = selector.shownText();
            const QString groupBefore = group().shownText();

            selector.pickRow(pick.row);

            ASSERT_EQ(m_shell.boxes.size(), 1);
            EXPECT_EQ(m_shell.boxes[0].text, Question);
            EXPECT_EQ(m_shell.boxes[0].caption, m_shell.title());
            EXPECT_EQ(m_shell.boxes[0].flags, UserShell::YesNo | UserShell::IconQuestion);
            switch (answer) {
            case Answer::No:
                EXPECT_EQ(stored("Audience_1", m_key), roomBefore);
                EXPECT_TRUE(m_shell.errors.isEmpty());
                EXPECT_EQ(selector.shownText(), selector.rowText(pick.row));
                EXPECT_FALSE(m_editor->saveEnabled());
                break;
            case Answer::Yes:
                EXPECT_EQ(stored("Audience_1", m_key).toString(), room);
                EXPECT_TRUE(m_shell.errors.isEmpty());
                EXPECT_EQ(selector.shownText(), selector.rowText(pick.row));
                EXPECT_FALSE(m_editor->saveEnabled());
                break;
            case Answer::YesButThePostFails:
                EXPECT_EQ(m_shell.errors, QStringList({Refusal}));
                EXPECT_EQ(selector.shownText(), shownBefore) << "the pick is undone";
                EXPECT_EQ(group().shownText(), groupBefore);
                EXPECT_EQ(schedule().state(), DataSetState::Edit);
                EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), room);
                EXPECT_TRUE(m_editor->saveEnabled());
                schedule().cancel();
                break;
            }
        }
    }
}

TEST_F(SavingTest, NoQuestionWithoutAChange) {
    schedule().edit();
    group().pickRow(2);
    EXPECT_TRUE(m_shell.boxes.isEmpty());
    EXPECT_TRUE(schedule().isActive());

    // Input the grid holds and has not yet written counts as a change.
    bool pending = true;
    m_editor->setPendingInputCheck([&] { return pending; });
    schedule().edit();
    group().pickRow(3);
    EXPECT_EQ(m_shell.boxes.size(), 1);
}

TEST_F(SavingTest, ClosingTheWindowWithAChangeAsks) {
    EXPECT_TRUE(m_editor->closeQuery());
    EXPECT_TRUE(m_shell.boxes.isEmpty());
    refuseRoom();
    const struct {
        int answer;
        const char* room;
        bool closes;
        DataSetState after;
        bool saved;
        QStringList errors;
    } cases[] = {
        {UserShell::AnswerCancel, "К-1", false, DataSetState::Edit, false, {}},
        {UserShell::AnswerYes, "Х-0", false, DataSetState::Edit, false, {Refusal}},
        {UserShell::AnswerNo, "К-2", true, DataSetState::Browse, false, {}},
        {UserShell::AnswerYes, "К-3", true, DataSetState::Browse, true, {}},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.room);
        const QString room = QString::fromUtf8(item.room);
        const QVariant roomBefore = stored("Audience_1", m_key);
        schedule().cancel();
        type(m_data.ADOQ_RatingTableAudience_1, room);
        m_shell.boxes.clear();
        m_shell.errors.clear();
        m_shell.answers = {item.answer};
        EXPECT_EQ(m_editor->closeQuery(), item.closes);
        ASSERT_EQ(m_shell.boxes.size(), 1);
        EXPECT_EQ(m_shell.boxes[0].text, Question);
        EXPECT_EQ(m_shell.boxes[0].flags, UserShell::YesNoCancel | UserShell::IconQuestion);
        EXPECT_EQ(schedule().state(), item.after);
        EXPECT_EQ(m_shell.errors, item.errors);
        EXPECT_EQ(stored("Audience_1", m_key), item.saved ? QVariant(room) : roomBefore);
        if (item.after == DataSetState::Edit)
            EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), room);
    }
}
