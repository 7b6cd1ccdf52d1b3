// Saving through the SQL Server driver against the stand-in serving the demo database: what a post
// sends, a row changed by someone else, and a connection lost during the run, which the next post
// or list opening reopens once as the signed-in user, with the session's date format set again.
#include "signedinschedule.h"

#include "support/errortext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString StaleRow =
    QString::fromUtf8("Строка не сохранена: после того как она была прочитана, её изменил или "
                      "удалил другой пользователь. Введённые значения остались в строке.");

class SqlServerSavingTest : public SignedInSchedule {
protected:
    bool throughServer() const override { return true; }

    void SetUp() override {
        SignedInSchedule::SetUp();
        pickDemoGroup();
        schedule().setRecNo(2);
        m_key = currentKey();
        m_saveButton.clear();
    }

    void type(Field* field, const QVariant& value) {
        schedule().edit();
        field->setValue(value);
    }

    // The UPDATE statements sent so far.
    QStringList updates() const { return m_standIn->statements().filter(QRegularExpression("^UPDATE ")); }

    // The logins and the SET statements since the given log record, as "login USER" and the text.
    QStringList sessionsSince(qsizetype from) const {
        QStringList events;
        const QList<QJsonObject> log = m_standIn->log();
        for (qsizetype i = from; i < log.size(); ++i) {
            const QString kind = log[i].value("kind").toString();
            if (kind == "login")
                events << "login " + log[i].value("user").toString();
            else if (kind == "batch" && log[i].value("sql").toString().startsWith("SET "))
                events << log[i].value("sql").toString().trimmed();
        }
        return events;
    }

    void dropNext(const QString& match) {
        m_standIn->setFaultRules(QJsonArray{QJsonObject{{"match", match}, {"action", "drop"}, {"times", 1}}});
    }

    QVariant m_key;
};

} // namespace

TEST_F(SqlServerSavingTest, APostSendsOnlyTheChangedColumns) {
    type(m_data.ADOQ_RatingTableAudience_1, QString::fromUtf8("Ауд-9"));
    type(m_data.ADOQ_RatingTableTypeControl, QString::fromUtf8("Письменный"));
    m_editor->save();
    const QStringList sent = updates();
    ASSERT_EQ(sent.size(), 1);
    const QString setList = sent[0].section(" WHERE ", 0, 0);
    EXPECT_EQ(setList, "UPDATE [ControlSchedule] SET [Audience_1] = @P1, [id_typeControl_1] = @P2");
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Ауд-9"));
    EXPECT_EQ(stored("id_typeControl_1", m_key).toInt(), 2);
    EXPECT_EQ(m_saveButton, QList<bool>({true, false}));
}

TEST_F(SqlServerSavingTest, ARowChangedBySomeoneElseIsRefusedAndKeepsTheValues) {
    testsupport::ExecuteSql(m_database, "UPDATE ControlSchedule SET Time_1 = '07:45' WHERE id_schedule = @k",
                            {{"k", m_key}});
    type(m_data.ADOQ_RatingTableTime_1, "15:30");
    EXPECT_EQ(ErrorText([&] { m_editor->save(); }), StaleRow);
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(m_data.ADOQ_RatingTableTime_1->asString(), "15:30");
    EXPECT_TRUE(m_editor->saveEnabled());
    EXPECT_EQ(stored("Time_1", m_key).toString(), "07:45");
}

// The connection drops while the row is sent: the values stay and Save stays enabled; the next Save
// finds the connection closed, signs in again as the user, sets the date format and posts.
TEST_F(SqlServerSavingTest, ALostConnectionIsReopenedByTheNextSave) {
    dropNext("^UPDATE");
    type(m_data.ADOQ_RatingTableAudience_1, "Е-2");
    EXPECT_EQ(ErrorText([&] { m_editor->save(); }),
              ScheduleEditor::LostConnectionOnSaveText("Unexpected EOF from the server"));
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), QString::fromUtf8("Е-2"));
    EXPECT_TRUE(m_editor->saveEnabled());
    EXPECT_FALSE(m_data.ADOCon->isOpen());
    EXPECT_NE(stored("Audience_1", m_key).toString(), QString::fromUtf8("Е-2"));

    const qsizetype before = m_standIn->log().size();
    m_editor->save();
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Е-2"));
    EXPECT_EQ(schedule().state(), DataSetState::Browse);
    EXPECT_FALSE(m_editor->saveEnabled());
    EXPECT_EQ(sessionsSince(before), QStringList({"login zor_demo", "SET DATEFORMAT dmy"}));
}

// The server is away for a while: Saves fail saying in Russian that the link is gone and what to do,
// the driver's texts in brackets, and keep the values; the first Save after the server is back
// succeeds without a restart.
TEST_F(SqlServerSavingTest, SavingWorksAgainOnceTheServerIsBack) {
    type(m_data.ADOQ_RatingTableAudience_1, "Ж-5");
    m_standIn->stop();
    const QString said = QString::fromUtf8("Строка не сохранена: связь с сервером прервалась (");
    const QString next = QString::fromUtf8("). Введённые значения остались в строке; нажмите «Сохранить» "
                                           "снова, когда сервер ответит.");
    const QString lost = ErrorText([&] { m_editor->save(); });
    EXPECT_TRUE(lost.startsWith(said) && lost.endsWith(next)) << lost.toStdString();
    const QString refused = ErrorText([&] { m_editor->save(); });
    EXPECT_TRUE(refused.startsWith(said) && refused.endsWith(next)) << refused.toStdString();
    EXPECT_TRUE(refused.contains("connect", Qt::CaseInsensitive)) << refused.toStdString();
    EXPECT_EQ(schedule().state(), DataSetState::Edit);
    EXPECT_EQ(m_data.ADOQ_RatingTableAudience_1->asString(), QString::fromUtf8("Ж-5"));
    EXPECT_TRUE(m_editor->saveEnabled());

    m_standIn->restart();
    const qsizetype before = m_standIn->log().size();
    m_editor->save();
    EXPECT_EQ(stored("Audience_1", m_key).toString(), QString::fromUtf8("Ж-5"));
    EXPECT_FALSE(m_editor->saveEnabled());
    EXPECT_EQ(sessionsSince(before), QStringList({"login zor_demo", "SET DATEFORMAT dmy"}));
}

// A list query that loses the connection is read again on a reopened connection: the pick works.
TEST_F(SqlServerSavingTest, AListOpeningThatLosesTheConnectionIsReadAgain) {
    dropNext("FROM \\[InfoForRating\\]");
    const qsizetype before = m_standIn->log().size();
    year().pickRow(0);
    EXPECT_TRUE(semester().isEnabled());
    EXPECT_EQ(semester().rowCount(), 2);
    EXPECT_EQ(sessionsSince(before), QStringList({"login zor_demo", "SET DATEFORMAT dmy"}));
    EXPECT_TRUE(m_shell.errors.isEmpty());
}
