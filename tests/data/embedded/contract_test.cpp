// The database contract of db/ on the demo data, through the embedded engine as the client uses it.
#include "data/dataerror.h"
#include "data/embedded/databasebuilder.h"
#include "data/embedded/embeddeddriver.h"
#include "support/contractdb.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ConnectionPairs settings(const QString& catalog, const QString& user, const QString& password) {
    return {
        {"Data Source", "embedded"}, {"Initial Catalog", catalog}, {"User ID", user}, {"Password", password}};
}

// The statements are sent as their lines, each followed by CR LF, with ':@name' markers as '?'.
QString lines(const QStringList& lines) {
    return lines.join("\r\n") + "\r\n";
}

QString digest(const QString& password) {
    return QString::fromLatin1(
        QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex().toUpper());
}

// The client's decoding of the server's credentials: every character code one more.
QString unshift(const QString& text) {
    QString result;
    for (QChar c : text)
        result += QChar(c.unicode() + 1);
    return result;
}

QString getUser(const QString& login, const QString& password, const QString& newPassword = "NULL",
                const QString& program = "ZOR 27") {
    const QString newValue = newPassword == "NULL" ? "NULL" : "'" + digest(newPassword) + "'";
    return "EXEC GET_USER '" + login + "','" + digest(password) + "'," + newValue + ", '" + program +
           "', '192.168.10.7', 'KAF-PC-12', '" + login + "','0','" + QString::number(newValue.size()) + "'";
}

class ContractTest : public ::testing::Test {
protected:
    void SetUp() override { m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db"); }

    StatementResult asUser(const QString& statement, const QList<QVariant>& values = {}) {
        if (!m_user.isOpen())
            m_user.open(settings(m_file, "zor_demo", "Zor27demo"));
        return m_user.execute(statement, values);
    }

    StatementResult signIn(const QString& statement) {
        if (!m_boot.isOpen())
            m_boot.open(settings(m_file, "zor_boot", "boot"));
        return m_boot.execute(statement, {});
    }

    QTemporaryDir m_dir;
    QString m_file;
    EmbeddedDriver m_user;
    EmbeddedDriver m_boot;
};

TEST_F(ContractTest, TheListsCascadeFromYearToGroup) {
    const StatementResult years = asUser(
        lines({"SELECT  id_a_year, [p32] AS Year FROM [InfoForRating] ", "GROUP BY id_a_year, [p32]"}));
    ASSERT_EQ(years.columns.size(), 2);
    EXPECT_EQ(years.columns[1].name, "Year");
    EXPECT_EQ(years.columns[1].kind, FieldKind::WideString);
    ASSERT_EQ(years.rowCount(), 4);
    EXPECT_EQ(years.cell(3, 1).toString(), "2026/2027");
    const QVariant year = years.cell(3, 0);

    const StatementResult semesters = asUser(lines({"SELECT  id_semester, Semester FROM [InfoForRating] ",
                                                    "WHERE id_a_year=?", "GROUP BY  id_semester, Semester "}),
                                             {year});
    ASSERT_EQ(semesters.rowCount(), 2);
    EXPECT_EQ(semesters.cell(0, 1).toString(), "1-й семестр (осенний)");

    const StatementResult faculties = asUser(
        lines({"SELECT  id_faculty, [p23-2] AS Faculty FROM [InfoForRating] ", "WHERE id_a_year =? AND",
               "              id_semester=?", "GROUP BY id_faculty, [p23-2]"}),
        {year, semesters.cell(0, 0)});
    ASSERT_EQ(faculties.rowCount(), 6);
    EXPECT_EQ(faculties.columns[1].name, "Faculty");
    EXPECT_EQ(faculties.cell(0, 1).toString(), "Факультет информационных технологий");

    const StatementResult groups = asUser(
        lines({"SELECT  id_group, p20 AS [Group] FROM [RatingView]", "WHERE id_a_year=? AND",
               "               id_semester=? AND", "               id_faculty=? ", "GROUP BY id_group, p20"}),
        {year, semesters.cell(0, 0), faculties.cell(0, 0)});
    ASSERT_EQ(groups.rowCount(), 8); // two specialities, four years of study
    EXPECT_EQ(groups.columns[1].name, "Group");
    EXPECT_EQ(groups.cell(0, 1).toString(), "ИВТ-231");
}

TEST_F(ContractTest, GetRatingTableGivesTheDeclaredColumnsAndTheKey) {
    const QString statement =
        "EXEC GetRatingTable @id_a_year =?, @id_semester =? , @id_faculty =?,  @id_group =?";
    const StatementResult schedule = asUser(statement, {1, 1, 1, 1});
    const std::tuple<const char*, FieldKind, int> expected[] = {
        {"Discipline", FieldKind::WideString, 200}, {"Kafedra", FieldKind::WideString, 200},
        {"t_fio", FieldKind::WideString, 200},      {"FKontr", FieldKind::WideString, 50},
        {"Time_1", FieldKind::AnsiString, 10},      {"Date_1", FieldKind::DateTime, 0},
        {"Audience_1", FieldKind::WideString, 10},  {"id_typeControl_1", FieldKind::Integer, 0},
        {"id_schedule", FieldKind::Integer, 0}};
    ASSERT_EQ(schedule.columns.size(), 9);
    for (int c = 0; c < 9; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(schedule.columns[c].name, std::get<0>(expected[c]));
        EXPECT_EQ(schedule.columns[c].kind, std::get<1>(expected[c]));
        EXPECT_EQ(schedule.columns[c].size, std::get<2>(expected[c]));
    }
    ASSERT_EQ(schedule.rowCount(), 12);
    for (int r = 0; r < 12; ++r) {
        EXPECT_FALSE(schedule.cell(r, 0).toString().isEmpty());
        EXPECT_FALSE(schedule.cell(r, 2).toString().isEmpty());
        EXPECT_TRUE(schedule.cell(r, 5).toDateTime().isValid());
    }
    // A faculty that is not the group's gives nothing.
    EXPECT_EQ(asUser(statement, {1, 1, 2, 1}).rowCount(), 0);
    // The spring of the current year is still to be scheduled.
    const StatementResult open = asUser(statement, {4, 2, 1, 4});
    ASSERT_EQ(open.rowCount(), 12);
    EXPECT_TRUE(open.cell(0, 5).isNull());
    EXPECT_TRUE(open.cell(0, 7).isNull());
}

TEST_F(ContractTest, TheScheduleIsWrittenBackByItsKey) {
    const QString statement =
        "EXEC GetRatingTable @id_a_year =?, @id_semester =? , @id_faculty =?,  @id_group =?";
    const QVariant key = asUser(statement, {4, 2, 1, 4}).cell(0, 8);
    const QDateTime date(QDate(2027, 6, 15), QTime(0, 0));
    const StatementResult update =
        asUser("UPDATE ControlSchedule SET Date_1 = ?, Time_1 = ?, Audience_1 = ?, id_typeControl_1 = ? "
               "WHERE id_schedule = ? AND Date_1 IS NULL",
               {date, QString("10:40"), QString("1-305"), 2, key});
    EXPECT_EQ(update.rowsAffected, 1);
    const StatementResult row = asUser(statement, {4, 2, 1, 4});
    EXPECT_EQ(row.cell(0, 5), QVariant(date));
    EXPECT_EQ(row.cell(0, 4).toString(), "10:40");
    EXPECT_EQ(row.cell(0, 6).toString(), "1-305");
    EXPECT_EQ(row.cell(0, 7), QVariant(2));
    // Text that is no date is refused rather than stored.
    try {
        asUser("UPDATE ControlSchedule SET Date_1 = 'завтра' WHERE id_schedule = ?", {key});
        ADD_FAILURE() << "no error";
    } catch (const DataError& error) {
        EXPECT_EQ(error.text(), "Conversion failed when converting date and/or time from character string.");
    }
    // A type of control that does not exist is refused.
    EXPECT_THROW(asUser("UPDATE ControlSchedule SET id_typeControl_1 = 99 WHERE id_schedule = ?", {key}),
                 DataError);
}

TEST_F(ContractTest, TheBenchmarkGroupHoldsTheRowsAskedFor) {
    DatabaseBuilder(testsupport::ContractScriptsDir()).addLargeGroup(m_file, 500);
    const StatementResult schedule = asUser("EXEC GetRatingTable 4, 1, 1, 1000");
    EXPECT_EQ(schedule.rowCount(), 500);
    const StatementResult group = asUser("SELECT p20 FROM RatingView WHERE id_group = 1000");
    EXPECT_EQ(group.cell(0, 0).toString(), "ИВТ-БЕНЧ");
}

TEST_F(ContractTest, GetUserHandsTheDemoUserTheShiftedDatabaseLogin) {
    const StatementResult answer = signIn(getUser("demo", "demo"));
    ASSERT_EQ(answer.rowCount(), 1);
    ASSERT_GE(answer.columns.size(), 6);
    EXPECT_EQ(unshift(answer.cell(0, 0).toString()), "zor_demo");
    EXPECT_EQ(unshift(answer.cell(0, 1).toString()), "Zor27demo");
    EXPECT_EQ(answer.cell(0, 2).toString(), "Демонстрационный пользователь");
    EXPECT_GE(answer.cell(0, 3).toInt(), 20);
    EXPECT_EQ(answer.cell(0, 4).toString(), "");
    EXPECT_EQ(answer.cell(0, 5).toInt(), 0);
    // The decoded credentials open the connection as the user.
    m_user.open(
        settings(m_file, unshift(answer.cell(0, 0).toString()), unshift(answer.cell(0, 1).toString())));
    EXPECT_TRUE(m_user.isOpen());
}

TEST_F(ContractTest, GetUserAnswersEachSituationAndLogsEveryAttempt) {
    testsupport::ExecuteSql(
        m_file,
        "INSERT INTO Users (Login, PasswordHash, FullName, DbLogin, DbPassword, PasswordChanged, "
        "PasswordLifetime, "
        "MustChangePassword, Locked) VALUES "
        "('ivanova', @ivanova, 'Иванова А. П.', 'ynq^cdln', 'Ynq16cdln', datetime('now', 'localtime', '-80 "
        "days'), "
        "90, 0, 0),"
        "('petrov', @petrov, 'Петров С. С.', 'ynq^cdln', 'Ynq16cdln', datetime('now', 'localtime'), 90, 1, "
        "0),"
        "('sidorov', @sidorov, 'Сидоров К. К.', 'ynq^cdln', 'Ynq16cdln', NULL, NULL, 0, 1)",
        {{"ivanova", digest("ivanova1")}, {"petrov", digest("petrov1")}, {"sidorov", digest("sidorov1")}});
    struct Case {
        QString statement;
        bool credentials;
        int daysLeftAtLeast;
        int daysLeftAtMost;
        QString message;
        QString outcome;
    };
    const Case cases[] = {
        {getUser("demo", "wrong"), false, 0, 0, "Неверный логин или пароль.", "wrong password"},
        {getUser("stranger", "demo"), false, 0, 0, "Неверный логин или пароль.", "unknown login"},
        {getUser("sidorov", "sidorov1"), false, 0, 0,
         "Учётная запись заблокирована. Обратитесь к администратору.", "locked"},
        {getUser("demo", "demo", "NULL", "ZOR 26"), false, 0, 0,
         "Программа «ZOR 26» не допущена к работе с базой.", "unknown program"},
        {getUser("DEMO", "demo"), true, 9999, 9999, "", "accepted"},
        {getUser("ivanova", "ivanova1"), true, 9, 10, "", "accepted"},
        {getUser("petrov", "petrov1"), true, -1, -1, "", "accepted"},
        {getUser("petrov", "petrov1", "petrov1"), false, 0, 0, "Новый пароль должен отличаться от прежнего.",
         "same password"},
        {getUser("petrov", "petrov1", "petrov2"), true, 90, 90, "", "password changed"},
        {getUser("petrov", "petrov1"), false, 0, 0, "Неверный логин или пароль.", "wrong password"},
        {getUser("petrov", "petrov2"), true, 90, 90, "", "accepted"},
    };
    int attempts = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        const StatementResult answer = signIn(c.statement);
        ++attempts;
        ASSERT_EQ(answer.rowCount(), 1);
        EXPECT_EQ(!answer.cell(0, 0).toString().isEmpty(), c.credentials);
        if (c.credentials || c.daysLeftAtMost != 0) {
            EXPECT_GE(answer.cell(0, 3).toInt(), c.daysLeftAtLeast);
            EXPECT_LE(answer.cell(0, 3).toInt(), c.daysLeftAtMost);
        }
        EXPECT_EQ(answer.cell(0, 4).toString(), c.message);
        EXPECT_EQ(answer.cell(0, 5).toInt(), 0);

        EmbeddedDriver owner;
        testsupport::ExecuteSql(m_file, "INSERT OR IGNORE INTO sys_logins VALUES ('owner', 'secret')");
        owner.open(settings(m_file, "owner", "secret"));
        const StatementResult log = owner.execute(
            "SELECT count(*), Outcome, IpAddress, ComputerName, Program, AttemptTime FROM SignInLog "
            "WHERE id_log = (SELECT max(id_log) FROM SignInLog)",
            {});
        EXPECT_EQ(log.cell(0, 0).toInt(), 1);
        EXPECT_EQ(log.cell(0, 1).toString(), c.outcome);
        EXPECT_EQ(log.cell(0, 2).toString(), "192.168.10.7");
        EXPECT_EQ(log.cell(0, 3).toString(), "KAF-PC-12");
        EXPECT_LE(qAbs(log.cell(0, 5).toDateTime().secsTo(QDateTime::currentDateTime())), 60);
        EXPECT_EQ(owner.execute("SELECT count(*) FROM SignInLog", {}).cell(0, 0).toInt(), attempts);
    }
    EmbeddedDriver owner;
    owner.open(settings(m_file, "owner", "secret"));
    EXPECT_EQ(
        owner.execute("SELECT PasswordHash FROM Users WHERE Login = 'petrov'", {}).cell(0, 0).toString(),
        digest("petrov2"));
}

TEST_F(ContractTest, GetUserOrdersAnUpdateOrStopsEverySignInWithANotice) {
    testsupport::ExecuteSql(m_file, "UPDATE Programs SET UpdateOrder = 2");
    const StatementResult update = signIn(getUser("demo", "wrong"));
    EXPECT_EQ(update.cell(0, 5).toInt(), 2);
    testsupport::ExecuteSql(m_file,
                            "UPDATE Programs SET UpdateOrder = 0, Notice = 'Идёт обновление базы до 14:00.'");
    const StatementResult notice = signIn(getUser("demo", "demo"));
    EXPECT_EQ(notice.cell(0, 4).toString(), "Идёт обновление базы до 14:00.");
}

TEST_F(ContractTest, AFixtureCanGiveGetUserAnyBehaviour) {
    testsupport::ReplaceProcedure(
        m_file, "GET_USER",
        "@Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, @ComputerName, "
        "@ClientLogin, @Mode, @NewPasswordLength",
        "SELECT 'a', 'b', NULL, 5, 'Сервер занят', 1");
    const StatementResult answer = signIn(getUser("demo", "demo"));
    EXPECT_EQ(answer.cell(0, 4).toString(), "Сервер занят");
    EXPECT_EQ(answer.cell(0, 3).toInt(), 5);
    testsupport::ReplaceProcedure(m_file, "GET_USER",
                                  "@Login, @PasswordHash, @NewPasswordHash, @Program, "
                                  "@IpAddress, @ComputerName, @ClientLogin, @Mode, @NewPasswordLength",
                                  testsupport::RaiseStatement(m_file, "Вход запрещён"));
    try {
        signIn(getUser("demo", "demo"));
        ADD_FAILURE() << "no error";
    } catch (const DataError& error) {
        EXPECT_EQ(error.text(), "Вход запрещён");
    }
}

} // namespace
