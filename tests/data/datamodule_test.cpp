// The data module and the data access layer on both engines, against a contract database file in a
// temporary folder: the embedded engine opens it, and the SQL Server driver reaches it through FreeTDS
// and the stand-in.
#include "data/dataerror.h"
#include "data/driverfactory.h"
#include "datamodule/tdm_mb.h"
#include "platform/silentabort.h"
#include "support/contractdb.h"
#include "support/tdsstandin.h"

#include "support/errortext.h"
#include <QDateTime>
#include <QTemporaryDir>
#include <algorithm>
#include <utility>

#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

// Passes everything on to the real engine and remembers what reached it.
class RecordingDriver : public Driver {
public:
    RecordingDriver(std::unique_ptr<Driver> engine, QStringList* statements, QList<QList<QVariant>>* values)
        : m_engine(std::move(engine)), m_statements(statements), m_values(values) {}
    void open(const ConnectionPairs& settings) override { m_engine->open(settings); }
    void close() override { m_engine->close(); }
    bool isOpen() const override { return m_engine->isOpen(); }
    void setStatementTimeout(int seconds) override { m_engine->setStatementTimeout(seconds); }
    QString equalsValue(const QString& column, FieldKind kind) const override {
        return m_engine->equalsValue(column, kind);
    }
    StatementResult execute(const QString& statement, const QList<QVariant>& values) override {
        m_statements->append(statement);
        m_values->append(values);
        m_engine->offerCellStorage(takeCellStorage());
        return m_engine->execute(statement, values);
    }

private:
    std::unique_ptr<Driver> m_engine;
    QStringList* m_statements;
    QList<QList<QVariant>>* m_values;
};

QString EmbeddedConnectionString(const QString& file, const QString& user = "zor_demo",
                                 const QString& password = "Zor27demo") {
    return "Provider=SQLOLEDB.1;Password=" + password + ";Persist Security Info=True;User ID=" + user +
           ";Initial Catalog=\"" + file + "\";Data Source=embedded";
}

QString ServerConnectionString(const QString& dataSource, const QString& user = "zor_demo",
                               const QString& password = "Zor27demo") {
    return "Provider=SQLOLEDB.1;Password=" + password + ";Persist Security Info=True;User ID=" + user +
           ";Initial Catalog=demo;Data Source=" + dataSource;
}

enum class Engine { Embedded, SqlServer };

class DataModuleTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        startServer();
        m.ADOCon->setDriverFactory([this](const ConnectionPairs& settings) {
            return std::make_unique<RecordingDriver>(CreateDriver(settings, m_dir.path()), &m_sent, &m_bound);
        });
        m.ADOCon->setConnectionString(connectionString());
        m.ADOCon->open();
        m.setSaveButtonSwitch([this](bool enabled) { m_saveSwitches.append(enabled); });
    }

    bool throughServer() const { return GetParam() == Engine::SqlServer; }

    void startServer() {
        if (throughServer())
            m_server = std::make_unique<testsupport::TdsStandIn>(m_file, m_dir.path());
    }

    QString connectionString(const QString& user = "zor_demo", const QString& password = "Zor27demo") const {
        return throughServer() ? ServerConnectionString(m_server->dataSource(), user, password)
                               : EmbeddedConnectionString(m_file, user, password);
    }

    // The keys of the group with the most schedule rows in the demo data.
    QList<QVariant> busiestGroup() {
        Query keys("", m.ADOCon);
        keys.setSql({"SELECT id_a_year, id_semester, id_faculty, id_group, count(*) AS n FROM InfoForRating",
                     "GROUP BY id_a_year, id_semester, id_faculty, id_group ORDER BY n DESC"});
        keys.open();
        return {keys.field(0)->value(), keys.field(1)->value(), keys.field(2)->value(),
                keys.field(3)->value()};
    }

    void openSchedule() {
        const QList<QVariant> keys = busiestGroup();
        const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
        for (int i = 0; i < 4; ++i)
            m.ADOQ_RatingTable->findParam(names[i])->setValue(keys[i]);
        m.ADOQ_RatingTable->open();
    }

    // Another session on the same file, as another user or an administrator would have.
    void runElsewhere(const QString& statement) { testsupport::ExecuteSql(m_file, statement); }

    // A fresh demo database under the connection, opened again.
    void rebuild() {
        m.ADOCon->close();
        m.ADOTable1->close();
        m_server.reset();
        testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        startServer();
        m.ADOCon->setConnectionString(connectionString());
        m.ADOCon->open();
    }

    QVariant stored(const QString& column, const QVariant& key) {
        Query read("", m.ADOCon);
        read.setSql({"SELECT " + column + " FROM ControlSchedule WHERE id_schedule = :k"});
        read.findParam("k")->setValue(key);
        read.open();
        return read.field(0)->value();
    }

    QVariant currentKey() {
        return m.ADOQ_RatingTable->cellAt(m.ADOQ_RatingTable->recNo() - 1,
                                          m.ADOQ_RatingTable->columnIndex("id_schedule"));
    }

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<testsupport::TdsStandIn> m_server;
    TDM_MB m;
    QStringList m_sent;
    QList<QList<QVariant>> m_bound;
    QList<bool> m_saveSwitches;
};

TEST_P(DataModuleTest, ListQueriesCascadeOnTheDemoData) {
    m.ADOQ_A_Year->open();
    m.ADOQ_A_Year->setSort("Year");
    ASSERT_EQ(m.ADOQ_A_Year->fieldCount(), 2);
    EXPECT_EQ(m.ADOQ_A_Year->field(0)->fieldName(), "id_a_year");
    EXPECT_EQ(m.ADOQ_A_Year->field(1)->fieldName(), "Year");
    ASSERT_GT(m.ADOQ_A_Year->recordCount(), 1);
    QStringList years;
    for (m.ADOQ_A_Year->first(); !m.ADOQ_A_Year->eof(); m.ADOQ_A_Year->next())
        years << m.ADOQ_A_Year->fieldByName("year")->asString();
    QStringList sorted = years;
    sorted.sort();
    EXPECT_EQ(years, sorted);

    const QList<QVariant> keys = busiestGroup();
    m.ADOQ_Semester->findParam("@ID_A_YEAR")->setValue(keys[0]);
    m.ADOQ_Semester->open();
    m.ADOQ_Faculty->findParam("@id_a_year")->setValue(keys[0]);
    m.ADOQ_Faculty->findParam("@id_semester")->setValue(keys[1]);
    m.ADOQ_Faculty->open();
    m.ADOQ_Group->findParam("@id_a_year")->setValue(keys[0]);
    m.ADOQ_Group->findParam("@id_semester")->setValue(keys[1]);
    m.ADOQ_Group->findParam("@id_faculty")->setValue(keys[2]);
    m.ADOQ_Group->open();
    const struct {
        Query* query;
        const char* key;
        const char* text;
        QVariant chosen;
    } lists[] = {{m.ADOQ_Semester, "id_semester", "Semester", keys[1]},
                 {m.ADOQ_Faculty, "id_faculty", "Faculty", keys[2]},
                 {m.ADOQ_Group, "id_group", "Group", keys[3]}};
    for (const auto& list : lists) {
        ASSERT_EQ(list.query->fieldCount(), 2) << list.query->name().toStdString();
        EXPECT_EQ(list.query->field(0)->fieldName(), list.key);
        EXPECT_EQ(list.query->field(1)->fieldName(), list.text);
        list.query->setSort(list.text);
        bool found = false;
        for (int record = 0; record < list.query->recordCount(); ++record) {
            found = found || list.query->field(0)->valueAt(record).toLongLong() == list.chosen.toLongLong();
            EXPECT_FALSE(list.query->field(1)->valueAt(record).toString().isEmpty());
        }
        EXPECT_TRUE(found) << list.query->name().toStdString();
    }
    // The statement with its line breaks and the fourteen blanks of the third line, markers
    // replaced, values bound in marker order.
    const qsizetype faculty = m_sent.indexOf(m.ADOQ_Faculty->statement());
    ASSERT_GE(faculty, 0);
    EXPECT_EQ(m_sent[faculty], "SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] \r\n"
                               "WHERE id_a_year =? AND\r\n"
                               "              id_semester=?\r\n"
                               "GROUP BY id_faculty, [p23-2]\r\n");
    EXPECT_EQ(m_bound[faculty], QList<QVariant>({keys[0], keys[1]}));
    if (throughServer())
        EXPECT_TRUE(
            m_server->statements().contains("SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] \r\n"
                                            "WHERE id_a_year =@P1 AND\r\n"
                                            "              id_semester=@P2\r\n"
                                            "GROUP BY id_faculty, [p23-2]\r\n"))
            << m_server->statements().join("\n---\n").toStdString();
}

// Every statement as stored (its lines, spaces included), its parameters, and the text that reaches
// the engine, byte for byte: each line followed by CR LF, each marker replaced by a question mark.
TEST_P(DataModuleTest, EveryStatementIsStoredAndSentAsWritten) {
    const struct {
        Query* query;
        QStringList lines;
        QStringList parameters;
        QString sent;
    } statements[] = {
        {m.ADOQ_A_Year,
         {"SELECT  id_a_year, [p32] AS Year FROM [InfoForRating] ", "GROUP BY id_a_year, [p32]"},
         {},
         "SELECT  id_a_year, [p32] AS Year FROM [InfoForRating] \r\n"
         "GROUP BY id_a_year, [p32]\r\n"},
        {m.ADOQ_Semester,
         {"SELECT  id_semester, Semester FROM [InfoForRating] ", "WHERE id_a_year=:@id_a_year",
          "GROUP BY  id_semester, Semester "},
         {"@id_a_year"},
         "SELECT  id_semester, Semester FROM [InfoForRating] \r\n"
         "WHERE id_a_year=?\r\n"
         "GROUP BY  id_semester, Semester \r\n"},
        {m.ADOQ_Faculty,
         {"SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] ", "WHERE id_a_year =:@id_a_year AND",
          "              id_semester=:@id_semester", "GROUP BY id_faculty, [p23-2]"},
         {"@id_a_year", "@id_semester"},
         "SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] \r\n"
         "WHERE id_a_year =? AND\r\n"
         "              id_semester=?\r\n"
         "GROUP BY id_faculty, [p23-2]\r\n"},
        {m.ADOQ_Group,
         {"SELECT  id_group, p20 AS [Group] FROM [RatingView]", "WHERE id_a_year=:@id_a_year AND",
          "               id_semester=:@id_semester AND", "               id_faculty=:@id_faculty ",
          "GROUP BY id_group, p20"},
         {"@id_a_year", "@id_semester", "@id_faculty"},
         "SELECT  id_group, p20 AS [Group] FROM [RatingView]\r\n"
         "WHERE id_a_year=? AND\r\n"
         "               id_semester=? AND\r\n"
         "               id_faculty=? \r\n"
         "GROUP BY id_group, p20\r\n"},
        {m.ADOQ_RatingTable,
         {"EXEC GetRatingTable @id_a_year =:@id_a_year, @id_semester =:@id_semester , @id_faculty "
          "=:@id_faculty,  @id_group =:@id_group"},
         {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"},
         "EXEC GetRatingTable @id_a_year =?, @id_semester =? , @id_faculty =?,  @id_group =?\r\n"},
    };
    const QList<QVariant> keys = busiestGroup();
    for (const auto& statement : statements) {
        Query& query = *statement.query;
        const std::string name = query.name().toStdString();
        EXPECT_EQ(query.sql(), statement.lines) << name;
        EXPECT_EQ(query.statement(), statement.sent) << name;
        ASSERT_EQ(query.parameters().count(), statement.parameters.size()) << name;
        for (int i = 0; i < query.parameters().count(); ++i) {
            const Parameter& parameter = query.parameters()[i];
            EXPECT_EQ(parameter.name(), statement.parameters[i]) << name;
            EXPECT_EQ(parameter.size(), -1) << name;
            EXPECT_TRUE(parameter.isNull()) << name << " starts Null";
            query.parameters()[i].setValue(keys[i]);
        }
        m_sent.clear();
        m_bound.clear();
        query.open();
        ASSERT_TRUE(m_sent.contains(statement.sent))
            << name << " reached the engine as " << m_sent.join("|").toStdString();
        EXPECT_EQ(m_bound[m_sent.indexOf(statement.sent)], keys.mid(0, statement.parameters.size())) << name;
    }
}

TEST_P(DataModuleTest, ScheduleExposesItsDeclaredFieldsWithTheLookup) {
    openSchedule();
    const char* expected[] = {"Discipline", "Kafedra",          "t_fio",      "FKontr", "Time_1", "Date_1",
                              "Audience_1", "id_typeControl_1", "TypeControl"};
    ASSERT_EQ(m.ADOQ_RatingTable->fieldCount(), 9);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(m.ADOQ_RatingTable->field(i)->fieldName(), expected[i]);
    EXPECT_EQ(m.ADOQ_RatingTable->findField("id_schedule"), nullptr);
    EXPECT_EQ(ErrorText([&] { m.ADOQ_RatingTable->field(9); }), "List index out of bounds (9)");
    EXPECT_TRUE(m.ADOTable1->isActive());
    EXPECT_GT(m.ADOQ_RatingTable->recordCount(), 0);
    EXPECT_EQ(m.ADOQ_RatingTable->recNo(), 1);
    EXPECT_FALSE(m.ADOQ_RatingTableDiscipline->asString().isEmpty());
    // Rows with a type of control show its name from ADOTable1.
    for (int record = 0; record < m.ADOQ_RatingTable->recordCount(); ++record) {
        const QVariant key = m.ADOQ_RatingTableid_typeControl_1->valueAt(record);
        if (key.isNull())
            continue;
        m.ADOTable1->first();
        while (m.ADOTable1id_typeControl->asInteger() != key.toInt() && !m.ADOTable1->eof())
            m.ADOTable1->next();
        EXPECT_EQ(m.ADOQ_RatingTableTypeControl->valueAt(record), m.ADOTable1typeControl->value());
    }
}

// A reopened schedule fills the storage of its previous rows again: whether the group has more or
// fewer rows than the one before, it holds that group's rows and nothing of the earlier ones.
TEST_P(DataModuleTest, ReopeningOnAnotherGroupHoldsOnlyThatGroupsRows) {
    Query groups("", m.ADOCon);
    groups.setSql({"SELECT id_a_year, id_semester, id_faculty, id_group FROM InfoForRating",
                   "GROUP BY id_a_year, id_semester, id_faculty, id_group ORDER BY id_group"});
    groups.open();
    ASSERT_GE(groups.recordCount(), 2);
    auto keysAt = [&](int record) {
        QList<QVariant> keys;
        for (int i = 0; i < 4; ++i)
            keys << groups.field(i)->valueAt(record);
        return keys;
    };
    const QList<QVariant> busiest = keysAt(0);
    const QList<QVariant> quietest = keysAt(1);
    // The second group keeps two of its rows.
    const QString second = "id_a_year = " + quietest[0].toString() +
                           " AND id_semester = " + quietest[1].toString() +
                           " AND id_group = " + quietest[3].toString();
    runElsewhere("DELETE FROM ControlSchedule WHERE " + second +
                 " AND id_schedule NOT IN (SELECT id_schedule FROM ControlSchedule WHERE " + second +
                 " ORDER BY id_schedule LIMIT 2)");
    // What each group holds, read by a dataset of its own.
    auto expected = [&](const QList<QVariant>& keys) {
        Query rows("", m.ADOCon);
        rows.setSql({"SELECT id_schedule, Discipline FROM InfoForRating",
                     "WHERE id_a_year = :y AND id_semester = :s AND id_faculty = :f AND id_group = :g"});
        const char* names[] = {"y", "s", "f", "g"};
        for (int i = 0; i < 4; ++i)
            rows.findParam(names[i])->setValue(keys[i]);
        rows.open();
        QList<QPair<qlonglong, QString>> held;
        for (int record = 0; record < rows.recordCount(); ++record)
            held.append({rows.field(0)->valueAt(record).toLongLong(), rows.field(1)->asStringAt(record)});
        std::sort(held.begin(), held.end());
        return held;
    };
    ASSERT_GT(expected(busiest).size(), 2);
    ASSERT_EQ(expected(quietest).size(), 2);
    const char* parameters[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (const QList<QVariant>& keys : {busiest, quietest, busiest, quietest}) {
        m.ADOQ_RatingTable->close();
        for (int i = 0; i < 4; ++i)
            m.ADOQ_RatingTable->findParam(parameters[i])->setValue(keys[i]);
        m.ADOQ_RatingTable->open();
        const int key = m.ADOQ_RatingTable->columnIndex("id_schedule");
        QList<QPair<qlonglong, QString>> held;
        for (int record = 0; record < m.ADOQ_RatingTable->recordCount(); ++record)
            held.append({m.ADOQ_RatingTable->cellAt(record, key).toLongLong(),
                         m.ADOQ_RatingTableDiscipline->asStringAt(record)});
        std::sort(held.begin(), held.end());
        EXPECT_EQ(held, expected(keys)) << keys[3].toString().toStdString();
    }
}

TEST_P(DataModuleTest, LookupOfNullAndUnmatchedKeysIsEmptyAndTheTableIsReadOnce) {
    openSchedule();
    ASSERT_GE(m.ADOQ_RatingTable->recordCount(), 3);
    const QVariant first = m.ADOQ_RatingTable->cellAt(0, m.ADOQ_RatingTable->columnIndex("id_schedule"));
    const QVariant second = m.ADOQ_RatingTable->cellAt(1, m.ADOQ_RatingTable->columnIndex("id_schedule"));
    const QVariant third = m.ADOQ_RatingTable->cellAt(2, m.ADOQ_RatingTable->columnIndex("id_schedule"));
    runElsewhere("UPDATE ControlSchedule SET id_typeControl_1 = NULL WHERE id_schedule = " +
                 first.toString());
    runElsewhere("UPDATE ControlSchedule SET id_typeControl_1 = 999 WHERE id_schedule = " +
                 second.toString());
    runElsewhere("INSERT INTO TypeControl (id_typeControl, typeControl) VALUES (77, 'Новый')");
    runElsewhere("UPDATE ControlSchedule SET id_typeControl_1 = 77 WHERE id_schedule = " + third.toString());
    m.ADOQ_RatingTable->close();
    m.ADOQ_RatingTable->open();
    for (int record = 0; record < 3; ++record) {
        EXPECT_TRUE(m.ADOQ_RatingTableTypeControl->valueAt(record).isNull()) << record;
        m.ADOQ_RatingTable->setRecNo(record + 1);
        EXPECT_EQ(m.ADOQ_RatingTableTypeControl->asString(), "");
    }
    EXPECT_EQ(m.ADOQ_RatingTableid_typeControl_1->valueAt(2).toInt(), 77);
}

TEST_P(DataModuleTest, OpeningFailsNamingTheFieldAndStaysClosed) {
    const struct {
        const char* change; // the body of GetRatingTable, or a statement on the database
        bool procedure;
        const char* error;
    } cases[] = {
        {"SELECT 'a' AS Discipline, 'b' AS Kafedra, 'c' AS t_fio, 'd' AS FKontr, Time_1, Audience_1, "
         "id_typeControl_1, id_schedule FROM ControlSchedule",
         true, "ADOQ_RatingTable: Field 'Date_1' not found"},
        {"SELECT d.DisciplineName AS Discipline, d.DisciplineName AS Kafedra, d.DisciplineName AS t_fio, "
         "d.DisciplineName AS FKontr, cs.Time_1, cs.id_typeControl_1 AS Date_1, cs.Audience_1, "
         "cs.id_typeControl_1, "
         "cs.id_schedule FROM ControlSchedule cs JOIN Discipline d ON d.id_discipline = cs.id_discipline",
         true, "ADOQ_RatingTable: Type mismatch for field 'Date_1', expecting: DateTime actual: Integer"},
        {"ALTER TABLE TypeControl RENAME COLUMN typeControl TO kind", false,
         "ADOTable1: Field 'typeControl' not found"},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.error);
        rebuild();
        if (item.procedure)
            testsupport::ReplaceProcedure(m_file, "GetRatingTable",
                                          "@id_a_year, @id_semester, @id_faculty, @id_group", item.change);
        else
            testsupport::ExecuteSql(m_file, item.change);
        EXPECT_EQ(ErrorText([&] { openSchedule(); }), item.error);
        EXPECT_FALSE(m.ADOQ_RatingTable->isActive());
        EXPECT_EQ(m.ADOQ_RatingTableDate_1->value(), QVariant());
    }
}

TEST_P(DataModuleTest, PostWritesOnlyTheChangedColumnsInTheOrderOfChange) {
    openSchedule();
    m.ADOQ_RatingTable->setRecNo(2);
    const QVariant key = currentKey();
    const QVariant timeBefore = stored("Time_1", key);
    m.ADOQ_RatingTable->edit();
    EXPECT_EQ(m_saveSwitches, QList<bool>({true}));
    m.ADOQ_RatingTableAudience_1->setAsString("А-305");
    m.ADOQ_RatingTableTypeControl->setValue(m.ADOTable1->field(0)->valueAt(1));
    m.ADOQ_RatingTableDate_1->setValue(QDateTime(QDate(2027, 1, 12), QTime(0, 0)));
    m.ADOQ_RatingTableAudience_1->setAsString("А-306");
    EXPECT_EQ(m.ADOQ_RatingTableTypeControl->value(), m.ADOTable1->field(0)->valueAt(1));
    QStringList changed;
    for (const Field* field : m.ADOQ_RatingTable->changedFields())
        changed << field->fieldName();
    EXPECT_EQ(changed, QStringList({"Audience_1", "id_typeControl_1", "Date_1"}));
    m.ADOQ_RatingTable->post();

    EXPECT_EQ(m_sent.last(),
              "UPDATE [ControlSchedule] SET [Audience_1] = ?, [id_typeControl_1] = ?, [Date_1] = ? "
              "WHERE [id_schedule] = ? AND " +
                  m_sent.last().section(" AND ", 1));
    EXPECT_EQ(m.ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_EQ(m_saveSwitches, QList<bool>({true, false}));
    EXPECT_EQ(stored("Audience_1", key).toString(), "А-306");
    EXPECT_EQ(stored("Date_1", key).toDateTime(), QDateTime(QDate(2027, 1, 12), QTime(0, 0)));
    EXPECT_EQ(stored("Time_1", key), timeBefore);
    EXPECT_EQ(m.ADOQ_RatingTableAudience_1->asString(), "А-306");
    EXPECT_EQ(m.ADOQ_RatingTableTypeControl->value(), m.ADOTable1->field(0)->valueAt(1));

    // Posting a value back to Null: the original is compared as it was read.
    m.ADOQ_RatingTable->edit();
    m.ADOQ_RatingTableAudience_1->setAsString("");
    m.ADOQ_RatingTable->post();
    EXPECT_TRUE(stored("Audience_1", key).isNull());
    m.ADOQ_RatingTable->edit();
    m.ADOQ_RatingTableAudience_1->setAsString("Б-1");
    m.ADOQ_RatingTable->post();
    EXPECT_EQ(stored("Audience_1", key).toString(), "Б-1");
}

TEST_P(DataModuleTest, RefusedPostKeepsEverythingTheUserTyped) {
    const struct {
        const char* name;
        const char* elsewhere;
        const char* error;
    } cases[] = {
        {"changed by another user", "UPDATE ControlSchedule SET Audience_1 = 'X-1' WHERE id_schedule = %1",
         "Строка не сохранена: после того как она была прочитана, её изменил или удалил другой пользователь. "
         "Введённые значения остались в строке."},
        {"deleted by another user", "DELETE FROM ControlSchedule WHERE id_schedule = %1",
         "Строка не сохранена: после того как она была прочитана, её изменил или удалил другой пользователь. "
         "Введённые значения остались в строке."},
        {"refused by a trigger",
         "CREATE TRIGGER refuse BEFORE UPDATE ON ControlSchedule BEGIN SELECT RAISE(ABORT, 'Аудитория %1 "
         "занята'); END",
         nullptr},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        rebuild();
        openSchedule();
        m_saveSwitches.clear();
        const QVariant key = currentKey();
        const QVariant audience = m.ADOQ_RatingTableAudience_1->value();
        m.ADOQ_RatingTable->edit();
        m.ADOQ_RatingTableTime_1->setAsString("12:20");
        m.ADOQ_RatingTableAudience_1->setAsString("В-201");
        runElsewhere(QString::fromUtf8(item.elsewhere).arg(key.toString()));
        const QString expected = item.error ? QString::fromUtf8(item.error)
                                            : QStringLiteral("Аудитория %1 занята").arg(key.toString());
        EXPECT_EQ(ErrorText([&] { m.ADOQ_RatingTable->post(); }), expected);
        EXPECT_EQ(m.ADOQ_RatingTable->state(), DataSetState::Edit);
        EXPECT_TRUE(m.ADOQ_RatingTable->modified());
        EXPECT_EQ(m.ADOQ_RatingTableTime_1->asString(), "12:20");
        EXPECT_EQ(m.ADOQ_RatingTableAudience_1->asString(), "В-201");
        EXPECT_EQ(m.ADOQ_RatingTable->changedFields(),
                  QList<Field*>({m.ADOQ_RatingTableTime_1, m.ADOQ_RatingTableAudience_1}));
        EXPECT_EQ(m.ADOQ_RatingTable->cellAt(0, m.ADOQ_RatingTableAudience_1->column()), audience);
        EXPECT_EQ(m_saveSwitches, QList<bool>({true}));
        // A move away posts first, fails the same way and does not happen.
        EXPECT_EQ(ErrorText([&] { m.ADOQ_RatingTable->next(); }), expected);
        EXPECT_EQ(m.ADOQ_RatingTable->recNo(), 1);
        if (!item.error) {
            runElsewhere("DROP TRIGGER refuse");
            m.ADOQ_RatingTable->post();
            EXPECT_EQ(stored("Audience_1", key).toString(), "В-201");
            EXPECT_EQ(m_saveSwitches, QList<bool>({true, false}));
        }
    }
}

TEST_P(DataModuleTest, AddingRowsIsRefusedSilentlyAfterPostingTheEditedRow) {
    openSchedule();
    const int rows = m.ADOQ_RatingTable->recordCount();
    m.ADOQ_RatingTable->last();
    const QVariant key = currentKey();
    m.ADOQ_RatingTable->edit();
    m.ADOQ_RatingTableAudience_1->setAsString("Г-7");
    EXPECT_THROW(m.ADOQ_RatingTable->append(), platform::SilentAbort);
    EXPECT_EQ(stored("Audience_1", key).toString(), "Г-7");
    EXPECT_EQ(m.ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_EQ(m.ADOQ_RatingTable->recordCount(), rows);
    EXPECT_EQ(m_saveSwitches, QList<bool>({true, false}));

    // An edit on an empty schedule is an attempt to add a row.
    m.ADOQ_RatingTable->close();
    m.ADOQ_RatingTable->findParam("@id_group")->setValue(-1);
    m.ADOQ_RatingTable->open();
    EXPECT_TRUE(m.ADOQ_RatingTable->bof());
    EXPECT_TRUE(m.ADOQ_RatingTable->eof());
    EXPECT_THROW(m.ADOQ_RatingTable->edit(), platform::SilentAbort);
    EXPECT_EQ(m.ADOQ_RatingTable->state(), DataSetState::Browse);
    EXPECT_EQ(m_saveSwitches, QList<bool>({true, false}));
    EXPECT_EQ(ErrorText([&] { m.ADOQ_RatingTable->post(); }),
              "ADOQ_RatingTable: Dataset not in edit or insert mode");
}

TEST_P(DataModuleTest, AMoveTakesInputAControlStillHoldsAndPostsIt) {
    openSchedule();
    Query& q = *m.ADOQ_RatingTable;
    const QVariant key = currentKey();
    // A control that holds typed text hands it over when asked; the row is in edit, unmodified.
    QString held = "Д-12";
    q.setUpdateRecordHandler([&] {
        if (!held.isEmpty())
            m.ADOQ_RatingTableAudience_1->setAsString(std::exchange(held, QString()));
    });
    q.edit();
    ASSERT_FALSE(q.modified());
    q.next();
    EXPECT_EQ(stored("Audience_1", key).toString(), "Д-12");
    EXPECT_EQ(q.state(), DataSetState::Browse);
    EXPECT_EQ(m_saveSwitches, QList<bool>({true, false}));
    // Input that does not convert stops the move, and the row stays in edit.
    q.setUpdateRecordHandler([&] { m.ADOQ_RatingTableDate_1->setAsString("32.13.2024"); });
    q.edit();
    EXPECT_EQ(ErrorText([&] { q.prior(); }), "'32.13.2024' is not a valid date and time");
    EXPECT_EQ(q.recNo(), 2);
    EXPECT_EQ(q.state(), DataSetState::Edit);
    q.setUpdateRecordHandler({});
}

TEST_P(DataModuleTest, BeginAndEndMarks) {
    openSchedule();
    Query& q = *m.ADOQ_RatingTable;
    ASSERT_GE(q.recordCount(), 3);
    const struct {
        std::function<void()> move;
        int recNo; // 0: the last record
        bool bof;
        bool eof;
    } steps[] = {
        {[] {}, 1, true, false},
        {[&] { q.next(); }, 2, false, false},
        {[&] { q.prior(); }, 1, false, false},
        {[&] { q.prior(); }, 1, true, false},
        {[&] { q.last(); }, 0, false, true},
        {[&] { q.prior(); }, -1, false, false},
        {[&] { q.next(); }, 0, false, false},
        {[&] { q.next(); }, 0, false, true},
        {[&] { q.setRecNo(2); }, 2, false, false},
        {[&] { q.first(); }, 1, true, false},
    };
    int i = 0;
    for (const auto& step : steps) {
        step.move();
        const int expected = step.recNo == 0  ? q.recordCount()
                             : step.recNo < 0 ? q.recordCount() - 1
                                              : step.recNo;
        EXPECT_EQ(q.recNo(), expected) << "step " << i;
        EXPECT_EQ(q.bof(), step.bof) << "step " << i;
        EXPECT_EQ(q.eof(), step.eof) << "step " << i;
        ++i;
    }
}

TEST_P(DataModuleTest, SortKeepsTheCurrentRecord) {
    openSchedule();
    Query& q = *m.ADOQ_RatingTable;
    q.setRecNo(q.recordCount());
    const QVariant key = currentKey();
    q.setSort("Audience_1");
    EXPECT_EQ(currentKey(), key);
    for (int record = 1; record < q.recordCount(); ++record)
        EXPECT_LE(QString::localeAwareCompare(m.ADOQ_RatingTableAudience_1->valueAt(record - 1).toString(),
                                              m.ADOQ_RatingTableAudience_1->valueAt(record).toString()),
                  0);
    EXPECT_EQ(ErrorText([&] { q.setSort("Nothing"); }), "ADOQ_RatingTable: Field 'Nothing' not found");
}

TEST_P(DataModuleTest, LayerErrors) {
    Query named("Q", m.ADOCon);
    named.setSqlText("UPDATE ControlSchedule SET Time_1 = Time_1 WHERE 0 = 1");
    EXPECT_EQ(ErrorText([&] { named.open(); }), "Q: CommandText does not return a result set");
    Query unnamed("", m.ADOCon);
    unnamed.setSqlText("UPDATE ControlSchedule SET Time_1 = Time_1 WHERE 0 = 1");
    EXPECT_EQ(ErrorText([&] { unnamed.open(); }), "CommandText does not return a result set");
    EXPECT_EQ(unnamed.execSQL(), 0);

    // A transient query read by position, as the sign-in reads its answer.
    Query read("", m.ADOCon);
    read.setSqlText("SELECT 'x' AS a, NULL AS b, '17' AS c, 'x7' AS d");
    read.open();
    EXPECT_EQ(read.field(0)->asString(), "x");
    EXPECT_EQ(read.field(1)->asString(), "");
    EXPECT_EQ(read.field(1)->asInteger(), 0);
    EXPECT_EQ(read.field(2)->asInteger(), 17);
    EXPECT_EQ(ErrorText([&] { read.field(3)->asInteger(); }), "'x7' is not a valid integer value");
    EXPECT_EQ(ErrorText([&] { read.field(4); }), "List index out of bounds (4)");

    // Closing the connection closes its datasets; the connection string changes only while closed.
    EXPECT_EQ(ErrorText([&] { m.ADOCon->setConnectionString("Data Source=embedded"); }),
              "Operation is not allowed when the connection is open");
    m.ADOCon->close();
    EXPECT_FALSE(read.isActive());
    m.ADOCon->setConnectionString(connectionString("zor_demo", "wrong"));
    EXPECT_EQ(ErrorText([&] { m.ADOCon->open(); }), "Login failed for user 'zor_demo'.");
    EXPECT_FALSE(m.ADOCon->isOpen());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, DataModuleTest, ::testing::Values(Engine::Embedded, Engine::SqlServer),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                             return info.param == Engine::Embedded ? "Embedded" : "SqlServer";
                         });

} // namespace
