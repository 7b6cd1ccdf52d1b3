// Saving schedule rows when more than one client works on a row, when the server counts no rows,
// when a reply is lost and when a statement runs past its time limit: through the embedded engine
// and through the SQL Server driver against the stand-in, both on the demo database. Each case ends
// by checking what the database holds and what the client shows.
#include "data/dataerror.h"
#include "datamodule/tdm_mb.h"
#include "support/contractdb.h"
#include "support/errortext.h"
#include "support/storedvalue.h"
#include "support/tdsstandin.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

enum class Engine { Embedded, SqlServer };

const QString StaleRow =
    QStringLiteral("Строка не сохранена: после того как она была прочитана, её изменил или удалил другой "
                   "пользователь. Введённые значения остались в строке.");

// The four editable columns of a schedule row.
const QStringList Editable = {"Date_1", "Time_1", "Audience_1", "id_typeControl_1"};

class WriteBackTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        if (GetParam() == Engine::SqlServer)
            m_server = std::make_unique<testsupport::TdsStandIn>(m_file, m_dir.path());
    }

    QString connectionString() const {
        const QString account = "Password=Zor27demo;User ID=zor_demo;";
        if (m_server)
            return account + "Initial Catalog=demo;Data Source=" + m_server->dataSource();
        return account + "Initial Catalog=\"" + m_file + "\";Data Source=embedded";
    }

    // A client signed in as the demo user, with the schedule of the busiest group open on its first row.
    std::unique_ptr<TDM_MB> client() {
        auto module = std::make_unique<TDM_MB>();
        module->ADOCon->setConnectionString(connectionString());
        module->ADOCon->open();
        Query keys("", module->ADOCon);
        keys.setSql({"SELECT id_a_year, id_semester, id_faculty, id_group, count(*) AS n FROM InfoForRating",
                     "GROUP BY id_a_year, id_semester, id_faculty, id_group ORDER BY n DESC, id_group"});
        keys.open();
        const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
        for (int i = 0; i < 4; ++i)
            module->ADOQ_RatingTable->findParam(names[i])->setValue(keys.field(i)->value());
        module->ADOQ_RatingTable->open();
        return module;
    }

    static void reopen(TDM_MB& module) {
        module.ADOQ_RatingTable->close();
        module.ADOQ_RatingTable->open();
    }

    static QVariant key(TDM_MB& module) {
        return module.ADOQ_RatingTable->cellAt(module.ADOQ_RatingTable->recNo() - 1,
                                               module.ADOQ_RatingTable->columnIndex("id_schedule"));
    }

    // A column of a schedule row as the file holds it now.
    QVariant stored(const QString& column, const QVariant& row) {
        return testsupport::StoredScheduleValue(m_file, column, row);
    }

    // A value for the column that differs from what the current row holds, different per n.
    static QVariant another(TDM_MB& module, const QString& column, int n) {
        const QVariant now = module.ADOQ_RatingTable->fieldByName(column)->value();
        if (column == "Date_1")
            return QDateTime(QDate(2031, 1, 1 + n), QTime(8 + n % 10, 30));
        if (column == "id_typeControl_1")
            return now.isNull() ? 1 + n % 6 : now.toInt() % 6 + 1;
        return QStringLiteral("%1-%2").arg(column == "Time_1" ? "T" : "Ауд").arg(n);
    }

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<testsupport::TdsStandIn> m_server;
};

std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Embedded ? "Embedded" : "SqlServer";
}

// Each of two clients changes another column of the same row: the first save stands, the second is
// refused, and the row never holds a pair of values that nobody entered.
TEST_P(WriteBackTest, TwoClientsChangingTwoColumnsOfOneRow) {
    auto first = client();
    auto second = client();
    int n = 0;
    for (const QString& mine : Editable) {
        for (const QString& theirs : Editable) {
            if (mine == theirs)
                continue;
            SCOPED_TRACE(("first changes " + mine + ", second " + theirs).toStdString());
            ++n;
            reopen(*first);
            reopen(*second);
            const QVariant row = key(*first);
            ASSERT_EQ(row, key(*second));
            const QVariant mineBefore = stored(mine, row);
            const QVariant mineValue = another(*first, mine, n);
            const QVariant theirValue = another(*second, theirs, n + 7);

            first->ADOQ_RatingTable->edit();
            first->ADOQ_RatingTable->fieldByName(mine)->setValue(mineValue);
            second->ADOQ_RatingTable->edit();
            second->ADOQ_RatingTable->fieldByName(theirs)->setValue(theirValue);
            second->ADOQ_RatingTable->post();
            EXPECT_EQ(ErrorText([&] { first->ADOQ_RatingTable->post(); }), StaleRow);

            EXPECT_EQ(first->ADOQ_RatingTable->state(), DataSetState::Edit);
            EXPECT_EQ(first->ADOQ_RatingTable->fieldByName(mine)->value(), mineValue);
            EXPECT_EQ(stored(theirs, row), theirValue);
            EXPECT_EQ(stored(mine, row), mineBefore);
            EXPECT_EQ(second->ADOQ_RatingTable->fieldByName(theirs)->value(), theirValue);
            first->ADOQ_RatingTable->cancel();
        }
    }
}

// A session that counts no rows (NOCOUNT on) still refuses a stale row and still saves a fresh one.
TEST_P(WriteBackTest, NoCountStillTellsAStaleRowFromASavedOne) {
    auto mine = client();
    auto other = client();
    mine->ADOCon->execute("SET NOCOUNT ON");
    const QVariant row = key(*mine);

    other->ADOQ_RatingTable->edit();
    other->ADOQ_RatingTableAudience_1->setValue("Др-1");
    other->ADOQ_RatingTable->post();
    mine->ADOQ_RatingTable->edit();
    mine->ADOQ_RatingTableTime_1->setValue("Моё");
    EXPECT_EQ(ErrorText([&] { mine->ADOQ_RatingTable->post(); }), StaleRow);
    EXPECT_EQ(mine->ADOQ_RatingTable->state(), DataSetState::Edit);
    EXPECT_EQ(mine->ADOQ_RatingTableTime_1->value(), QVariant("Моё"));
    EXPECT_NE(stored("Time_1", row), QVariant("Моё"));

    mine->ADOQ_RatingTable->cancel();
    reopen(*mine);
    mine->ADOQ_RatingTable->edit();
    mine->ADOQ_RatingTableTime_1->setValue("Моё");
    mine->ADOQ_RatingTable->post();
    EXPECT_EQ(mine->ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_EQ(stored("Time_1", row), QVariant("Моё"));
    EXPECT_EQ(stored("Audience_1", row), QVariant("Др-1"));
    EXPECT_EQ(mine->ADOQ_RatingTableTime_1->value(), QVariant("Моё"));
}

// A statement that runs past the time limit fails like any other save: the values stay in the row,
// and once the server answers again the same save goes through. The server answers late, or never;
// on the embedded engine another connection holds the file's write lock for longer than the limit.
TEST_P(WriteBackTest, SaveOverTheTimeLimitFailsAndKeepsTheValues) {
    auto module = client();
    module->ADOCon->setCommandTimeout(1);
    const QVariant row = key(*module);
    int n = 0;
    for (const int delay : {3000, 600000}) {
        SCOPED_TRACE(delay);
        ++n;
        std::unique_ptr<Connection> locker;
        if (m_server) {
            m_server->setFaultRules(QJsonArray{
                QJsonObject{{"match", "^UPDATE"}, {"action", "delay"}, {"ms", delay}, {"times", 1}}});
        } else {
            locker = std::make_unique<Connection>();
            locker->setConnectionString(connectionString());
            locker->open();
            locker->execute("BEGIN IMMEDIATE");
        }
        const QDateTime date(QDate(2031, 5, n), QTime(9, 15));
        const QString audience = QStringLiteral("Поздно-%1").arg(n);
        module->ADOQ_RatingTable->edit();
        module->ADOQ_RatingTableDate_1->setValue(date);
        module->ADOQ_RatingTableAudience_1->setValue(audience);
        EXPECT_EQ(ErrorText([&] { module->ADOQ_RatingTable->post(); }),
                  m_server ? "Timeout expired" : "Query timeout expired");
        EXPECT_EQ(module->ADOQ_RatingTable->state(), DataSetState::Edit);
        EXPECT_EQ(module->ADOQ_RatingTableDate_1->value(), QVariant(date));
        EXPECT_EQ(module->ADOQ_RatingTableAudience_1->value(), QVariant(audience));

        // A server that does not answer does not take the driver's cancel either: the driver gives
        // the connection up, and it is opened again.
        EXPECT_EQ(module->ADOCon->isOpen(), m_server == nullptr);
        if (m_server)
            module->ADOCon->open();
        else
            locker->execute("ROLLBACK");
        module->ADOQ_RatingTable->post();
        EXPECT_EQ(module->ADOQ_RatingTable->state(), DataSetState::Browse);
        EXPECT_EQ(stored("Date_1", row), QVariant(date));
        EXPECT_EQ(stored("Audience_1", row), QVariant(audience));
        EXPECT_EQ(module->ADOQ_RatingTableDate_1->value(), QVariant(date));
        EXPECT_EQ(module->ADOQ_RatingTableAudience_1->value(), QVariant(audience));
    }
}

// A text longer than its column is refused as the server refuses it, by the embedded contract alike;
// the user's value stays in the row to be corrected.
TEST_P(WriteBackTest, TextLongerThanItsColumnIsRefused) {
    auto module = client();
    const QVariant row = key(*module);
    const QVariant before = stored("Audience_1", row);
    module->ADOQ_RatingTable->edit();
    module->ADOQ_RatingTableAudience_1->setValue("Аудитория-1");
    EXPECT_EQ(ErrorText([&] { module->ADOQ_RatingTable->post(); }),
              "String or binary data would be truncated in table 'ControlSchedule', column 'Audience_1'.");
    EXPECT_EQ(module->ADOQ_RatingTable->state(), DataSetState::Edit);
    EXPECT_EQ(module->ADOQ_RatingTableAudience_1->value(), QVariant("Аудитория-1"));
    EXPECT_EQ(stored("Audience_1", row), before);
    module->ADOQ_RatingTableAudience_1->setValue("Аудитория1");
    module->ADOQ_RatingTable->post();
    EXPECT_EQ(stored("Audience_1", row), QVariant("Аудитория1"));
}

INSTANTIATE_TEST_SUITE_P(Engines, WriteBackTest, ::testing::Values(Engine::Embedded, Engine::SqlServer),
                         EngineName);

// The limit is 30 seconds unless the administrator's environment variable gives a whole number.
TEST(CommandTimeoutTest, ThirtySecondsUnlessTheAdministratorSetsAnother) {
    const QByteArray saved = qgetenv("ZOR27_COMMAND_TIMEOUT");
    const bool wasSet = qEnvironmentVariableIsSet("ZOR27_COMMAND_TIMEOUT");
    const struct {
        const char* setting; // nullptr: not set
        int seconds;
    } cases[] = {{nullptr, 30}, {"60", 60}, {"0", 0}, {"soon", 30}, {"-5", 30}, {"", 30}};
    for (const auto& c : cases) {
        if (c.setting)
            qputenv("ZOR27_COMMAND_TIMEOUT", c.setting);
        else
            qunsetenv("ZOR27_COMMAND_TIMEOUT");
        EXPECT_EQ(Connection().commandTimeout(), c.seconds) << (c.setting ? c.setting : "(not set)");
    }
    if (wasSet)
        qputenv("ZOR27_COMMAND_TIMEOUT", saved);
    else
        qunsetenv("ZOR27_COMMAND_TIMEOUT");
}

class SqlServerWriteBackTest : public WriteBackTest {};

// The server commits a save and the connection drops before its reply arrives. The client reports
// the lost connection and keeps the values; saving them again after reopening finds them stored
// and counts as done.
TEST_P(SqlServerWriteBackTest, SaveWhoseReplyWasLost) {
    auto module = client();
    const QVariant row = key(*module);
    m_server->setFaultRules(
        QJsonArray{QJsonObject{{"match", "^UPDATE"}, {"action", "drop-after"}, {"times", 1}}});
    module->ADOQ_RatingTable->edit();
    module->ADOQ_RatingTableAudience_1->setValue("Ушло");
    module->ADOQ_RatingTableTime_1->setValue("11:11");
    EXPECT_EQ(ErrorText([&] { module->ADOQ_RatingTable->post(); }), "Unexpected EOF from the server");
    EXPECT_EQ(module->ADOQ_RatingTable->state(), DataSetState::Edit);
    EXPECT_EQ(stored("Audience_1", row), QVariant("Ушло"));

    EXPECT_FALSE(module->ADOCon->isOpen());
    module->ADOCon->open();
    module->ADOQ_RatingTable->post();
    EXPECT_EQ(module->ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_EQ(module->ADOQ_RatingTableAudience_1->value(), QVariant("Ушло"));
    EXPECT_EQ(module->ADOQ_RatingTableTime_1->value(), QVariant("11:11"));
    EXPECT_EQ(stored("Audience_1", row), QVariant("Ушло"));
    EXPECT_EQ(stored("Time_1", row), QVariant("11:11"));

    // A row that holds other values than the ones saved again is still refused.
    module->ADOQ_RatingTable->edit();
    module->ADOQ_RatingTableAudience_1->setValue("Снова");
    testsupport::ExecuteSql(m_file, "UPDATE ControlSchedule SET Time_1 = '12:12' WHERE id_schedule = @k",
                            {{"k", row}});
    EXPECT_EQ(ErrorText([&] { module->ADOQ_RatingTable->post(); }), StaleRow);
    EXPECT_EQ(stored("Audience_1", row), QVariant("Ушло"));
}

INSTANTIATE_TEST_SUITE_P(Engines, SqlServerWriteBackTest, ::testing::Values(Engine::SqlServer), EngineName);

class EmbeddedWriteBackTest : public WriteBackTest {};

// Date_1 stored in another text form than the engine's own still compares as the same date: a row
// that holds one can be saved, whichever column changes.
TEST_P(EmbeddedWriteBackTest, DatesStoredInOtherFormsCompareAsDates) {
    auto module = client();
    const QVariant row = key(*module);
    const struct {
        const char* stored;
        QDateTime date;
    } forms[] = {
        {"2027-01-14", QDateTime(QDate(2027, 1, 14), QTime(0, 0))},
        {"2027-01-14 09:00", QDateTime(QDate(2027, 1, 14), QTime(9, 0))},
        {"2027-01-14T09:00:00", QDateTime(QDate(2027, 1, 14), QTime(9, 0))},
        {"2027-01-14 09:00:00.5", QDateTime(QDate(2027, 1, 14), QTime(9, 0, 0, 500))},
    };
    int n = 0;
    for (const auto& form : forms) {
        SCOPED_TRACE(form.stored);
        for (const char* column : {"Date_1", "Audience_1"}) {
            ++n;
            testsupport::ExecuteSql(m_file, "UPDATE ControlSchedule SET Date_1 = @d WHERE id_schedule = @k",
                                    {{"d", QString::fromLatin1(form.stored)}, {"k", row}});
            reopen(*module);
            ASSERT_EQ(module->ADOQ_RatingTableDate_1->value(), QVariant(form.date));
            const QVariant value = another(*module, column, n);
            module->ADOQ_RatingTable->edit();
            module->ADOQ_RatingTable->fieldByName(column)->setValue(value);
            module->ADOQ_RatingTable->post();
            EXPECT_EQ(module->ADOQ_RatingTable->state(), DataSetState::Browse) << column;
            EXPECT_EQ(stored(column, row), value) << column;
            EXPECT_EQ(module->ADOQ_RatingTable->fieldByName(column)->value(), value) << column;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, EmbeddedWriteBackTest, ::testing::Values(Engine::Embedded), EngineName);

} // namespace
