// What the contract database refuses as a SQL Server column would: dates that the client could not
// read back, and texts longer than their declared width. Through the embedded engine and through
// another session on the file.
#include "data/dataerror.h"
#include "data/embedded/embeddeddriver.h"
#include "support/contractdb.h"
#include "support/errortext.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "data/qstringprinter.h"

namespace {

const QString NotADate =
    QStringLiteral("Conversion failed when converting date and/or time from character string.");

class ContractRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        m_user.open({{"Data Source", "embedded"},
                     {"Initial Catalog", m_file},
                     {"User ID", "zor_demo"},
                     {"Password", "Zor27demo"}});
        m_row = m_user.execute("SELECT min(id_schedule) AS k FROM ControlSchedule", {}).cell(0, 0);
    }

    // The schedule row's Date_1 as the client reads it, through GetRatingTable of its group.
    QVariant readDate() {
        const StatementResult keys = m_user.execute(
            "SELECT id_a_year, id_semester, id_faculty, id_group FROM InfoForRating WHERE id_schedule = ?",
            {m_row});
        const StatementResult schedule = m_user.execute(
            "EXEC GetRatingTable @id_a_year = ?, @id_semester = ?, @id_faculty = ?, @id_group = ?",
            {keys.cell(0, 0), keys.cell(0, 1), keys.cell(0, 2), keys.cell(0, 3)});
        for (qsizetype row = 0; row < schedule.rowCount(); ++row)
            if (schedule.cell(row, 8) == m_row)
                return schedule.cell(row, 5);
        return QVariant("(row not found)");
    }

    QTemporaryDir m_dir;
    QString m_file;
    EmbeddedDriver m_user;
    QVariant m_row;
};

// Each refused text would make the whole group unreadable, or would be read as another date.
TEST_F(ContractRulesTest, DateTextsTheClientCannotReadAreRefused) {
    const char* refused[] = {
        "2027-02-30 09:00:00",
        "2027-02-29",
        "2027-13-01",
        "2027-00-10",
        "завтра",
        "14.01.2027",
        "2027-01-14 24:00",
        "2027-01-14 9:00",
        "2027-1-14",
        "1752-12-31",
        "now",
        "2027-01-14 09:00:00.1234",
        "2027-01-14Z",
        "2027-01-14 09:60",
        "2027-01-14 09:00:60",
        "20270114",
        "",
        "2027-01-14 09:00:00 ",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorText([&] {
                      m_user.execute("UPDATE ControlSchedule SET Date_1 = ? WHERE id_schedule = ?",
                                     {QString::fromUtf8(text), m_row});
                  }),
                  NotADate);
        EXPECT_EQ(ErrorText([&] {
                      testsupport::ExecuteSql(
                          m_file,
                          "INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, "
                          "id_discipline, id_form, Date_1) SELECT id_a_year, id_semester, "
                          "id_group, id_discipline, id_form, @d FROM ControlSchedule LIMIT 1",
                          {{"d", QString::fromUtf8(text)}});
                  }),
                  "demo.db: " + NotADate);
    }
    const StatementResult other = m_user.execute(
        "SELECT count(*) AS n FROM ControlSchedule WHERE Date_1 IS NOT NULL AND Date_1 NOT GLOB '2*'", {});
    EXPECT_EQ(other.cell(0, 0).toInt(), 0);
    EXPECT_EQ(ErrorText([&] {
                  testsupport::ExecuteSql(m_file, "UPDATE Users SET PasswordChanged = '2026-02-30'");
              }),
              "demo.db: " + NotADate);
}

TEST_F(ContractRulesTest, TheStoredDateFormsAreKeptAndReadBack) {
    const struct {
        const char* text;
        QDateTime date;
    } accepted[] = {
        {"2027-01-14", QDateTime(QDate(2027, 1, 14), QTime(0, 0))},
        {"2027-01-14 09:00", QDateTime(QDate(2027, 1, 14), QTime(9, 0))},
        {"2027-01-14T09:00:00", QDateTime(QDate(2027, 1, 14), QTime(9, 0))},
        {"2027-01-14 09:00:00.5", QDateTime(QDate(2027, 1, 14), QTime(9, 0, 0, 500))},
        {"2027-01-14 23:59:59.997", QDateTime(QDate(2027, 1, 14), QTime(23, 59, 59, 997))},
        {"2028-02-29 00:00:00", QDateTime(QDate(2028, 2, 29), QTime(0, 0))},
        {"1753-01-01", QDateTime(QDate(1753, 1, 1), QTime(0, 0))},
        {"9999-12-31 23:59:59", QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59))},
    };
    for (const auto& item : accepted) {
        SCOPED_TRACE(item.text);
        m_user.execute("UPDATE ControlSchedule SET Date_1 = ? WHERE id_schedule = ?",
                       {QString::fromLatin1(item.text), m_row});
        EXPECT_EQ(readDate(), QVariant(item.date));
    }
    // The client's own form, bound as a date.
    const QDateTime date(QDate(2027, 6, 1), QTime(10, 40, 0, 250));
    m_user.execute("UPDATE ControlSchedule SET Date_1 = ? WHERE id_schedule = ?", {date, m_row});
    EXPECT_EQ(readDate(), QVariant(date));
}

TEST_F(ContractRulesTest, TextsLongerThanTheirColumnAreRefused) {
    const struct {
        const char* statement;
        const char* value;
        const char* error; // nullptr: stored
    } cases[] = {
        {"UPDATE ControlSchedule SET Audience_1 = ? WHERE id_schedule = ?", "Ауд-123456", nullptr},
        {"UPDATE ControlSchedule SET Audience_1 = ? WHERE id_schedule = ?", "Ауд-1234567",
         "String or binary data would be truncated in table 'ControlSchedule', column 'Audience_1'."},
        {"UPDATE ControlSchedule SET Audience_1 = ? WHERE id_schedule = ?",
         "01234567890123456789012345678901234567890123456789",
         "String or binary data would be truncated in table 'ControlSchedule', column 'Audience_1'."},
        {"UPDATE ControlSchedule SET Time_1 = ? WHERE id_schedule = ?", "10:40-12:1", nullptr},
        {"UPDATE ControlSchedule SET Time_1 = ? WHERE id_schedule = ?", "10:40-12:15",
         "String or binary data would be truncated in table 'ControlSchedule', column 'Time_1'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const QString value = QString::fromUtf8(c.value);
        const QString error = ErrorText([&] { m_user.execute(c.statement, {value, m_row}); });
        if (c.error) {
            EXPECT_EQ(error, QString::fromUtf8(c.error));
            EXPECT_NE(
                m_user
                    .execute("SELECT Audience_1, Time_1 FROM ControlSchedule WHERE id_schedule = ?", {m_row})
                    .cells,
                QList<QVariant>({value, value}));
        } else {
            EXPECT_EQ(error, "(no error)");
        }
    }
    EXPECT_EQ(ErrorText([] {}), "(no error)");
    EXPECT_EQ(
        ErrorText([&] {
            testsupport::ExecuteSql(m_file, "INSERT INTO TypeControl VALUES (50, '123456789012345678901')");
        }),
        "demo.db: String or binary data would be truncated in table 'TypeControl', column 'typeControl'.");
}

} // namespace
