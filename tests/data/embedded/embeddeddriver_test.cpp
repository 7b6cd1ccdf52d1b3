#include "data/dataerror.h"
#include "data/embedded/embeddeddriver.h"
#include "support/contractdb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

ConnectionPairs settings(const QString& catalog, const QString& user, const QString& password) {
    return {{"Provider", "SQLOLEDB.1"},
            {"Data Source", "embedded"},
            {"Initial Catalog", catalog},
            {"User ID", user},
            {"Password", password}};
}

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const DataError& error) {
        return error.text();
    }
    return "(no error)";
}

class EmbeddedDriverTest : public ::testing::Test {
protected:
    void SetUp() override { m_file = testsupport::BuildContractDb(m_dir.path(), false); }

    // Opens the database as a login without restrictions, made for the test.
    void openAsOwner() {
        testsupport::ExecuteSql(m_file, "INSERT OR IGNORE INTO sys_logins VALUES ('owner', 'secret')");
        m_driver.open(settings(m_file, "owner", "secret"));
    }

    StatementResult run(const QString& statement, const QList<QVariant>& values = {}) {
        return m_driver.execute(statement, values);
    }

    QTemporaryDir m_dir;
    QString m_file;
    EmbeddedDriver m_driver;
};

TEST_F(EmbeddedDriverTest, RefusesAWrongLoginNamingIt) {
    const std::pair<QString, QString> cases[] = {
        {"zor_boot", "wrong"}, {"zor_boot", ""}, {"nobody", "boot"}, {"ZOR_BOOT", "boot"}, {"", ""}};
    for (const auto& [user, password] : cases) {
        SCOPED_TRACE(user.toStdString() + "/" + password.toStdString());
        EXPECT_EQ(errorOf([&] { m_driver.open(settings(m_file, user, password)); }),
                  QString("Login failed for user '%1'.").arg(user));
        EXPECT_FALSE(m_driver.isOpen());
    }
    m_driver.open(settings(m_file, "zor_boot", "boot"));
    EXPECT_TRUE(m_driver.isOpen());
}

TEST_F(EmbeddedDriverTest, RefusesMissingAndDamagedFilesWithoutCreatingThem) {
    const QString missing = m_dir.filePath("missing.db");
    const QString garbage = m_dir.filePath("garbage.db");
    const QString empty = m_dir.filePath("empty.db");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    QFile(empty).open(QIODevice::WriteOnly);
    const std::pair<QString, QString> cases[] = {
        {missing,
         QString("Cannot open database \"%1\" requested by the login. The file \"%2\" does not exist.")
             .arg(missing, QDir::toNativeSeparators(missing))},
        {garbage,
         QString("Cannot open database \"%1\" requested by the login. The file \"%2\" is not a valid "
                 "database file.")
             .arg(garbage, QDir::toNativeSeparators(garbage))},
        {empty,
         QString("Cannot open database \"%1\" requested by the login. The file \"%2\" holds no logins.")
             .arg(empty, QDir::toNativeSeparators(empty))},
        {"", "Cannot open database \"\" requested by the login. No database file was named."},
    };
    for (const auto& [catalog, message] : cases) {
        SCOPED_TRACE(catalog.toStdString());
        EXPECT_EQ(errorOf([&] { m_driver.open(settings(catalog, "zor_boot", "boot")); }), message);
        EXPECT_FALSE(m_driver.isOpen());
    }
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
}

TEST_F(EmbeddedDriverTest, ADamagedPageGivesAnErrorInsteadOfData) {
    const QString damaged = testsupport::BuildContractDb(m_dir.path(), true, "damaged.db");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2);
    file.write(QByteArray(file.size() / 2, '\xff'));
    file.close();
    const QString message = errorOf([&] {
        m_driver.open(settings(damaged, "zor_demo", "Zor27demo"));
        m_driver.execute("SELECT count(*), max(Date_1) FROM ControlSchedule", {});
    });
    EXPECT_TRUE(message.contains("database disk image is malformed") ||
                message.contains("not a valid database"))
        << message.toStdString();
}

TEST_F(EmbeddedDriverTest, LooksForAPlainNameInTheDatabaseFolder) {
    EXPECT_EQ(EmbeddedDriver::databasePath("/opt/zor/Data", "demo.db"), "/opt/zor/Data/demo.db");
    EXPECT_EQ(EmbeddedDriver::databasePath("/opt/zor/Data", m_file), QDir::cleanPath(m_file));
    EXPECT_EQ(EmbeddedDriver::databasePath("", "demo.db"), "");
    EmbeddedDriver unplaced;
    EXPECT_EQ(errorOf([&] { unplaced.open(settings("demo.db", "zor_demo", "Zor27demo")); }),
              "Cannot open database \"demo.db\" requested by the login. No folder was given for database "
              "files.");
}

TEST_F(EmbeddedDriverTest, RunsNothingWhileClosed) {
    EXPECT_EQ(errorOf([&] { run("SELECT 1"); }), "The connection is not open.");
}

TEST_F(EmbeddedDriverTest, ReportsTheDeclaredKindsAndBindsValuesInTheirStoredForm) {
    openAsOwner();
    run("CREATE TABLE T (i INT, w NVARCHAR(200), a VARCHAR(10), d DATETIME, b BIGINT, f FLOAT, t TEXT)");
    const QDateTime withMs(QDate(2027, 1, 25), QTime(9, 30, 15, 250));
    const QDateTime plain(QDate(2027, 1, 26), QTime(14, 0));
    StatementResult insert = run("INSERT INTO T VALUES (?, ?, ?, ?, ?, ?, ?)\r\n",
                                 {42, QString("Экзамен"), QString("10:40"), withMs, Q_INT64_C(5000000000),
                                  2.5, QVariant(QMetaType::fromType<QString>())});
    EXPECT_FALSE(insert.hasResultSet);
    EXPECT_EQ(insert.rowsAffected, 1);
    run("INSERT INTO T VALUES (?, ?, ?, ?, ?, ?, ?)",
        {QVariant(QMetaType::fromType<int>()), QVariant(QMetaType::fromType<QString>()), QString(), plain,
         QVariant(QMetaType::fromType<qlonglong>()), QVariant(QMetaType::fromType<double>()), QString("x")});

    const StatementResult stored = run("SELECT d || '' AS text, typeof(i) AS kind FROM T ORDER BY d");
    EXPECT_EQ(stored.cell(0, 0).toString(), "2027-01-25 09:30:15.250");
    EXPECT_EQ(stored.cell(1, 0).toString(), "2027-01-26 14:00:00");

    const StatementResult result = run("SELECT * FROM T ORDER BY d");
    ASSERT_TRUE(result.hasResultSet);
    const std::tuple<const char*, FieldKind, int> expected[] = {
        {"i", FieldKind::Integer, 0},      {"w", FieldKind::WideString, 200},
        {"a", FieldKind::AnsiString, 10},  {"d", FieldKind::DateTime, 0},
        {"b", FieldKind::LargeInt, 0},     {"f", FieldKind::Float, 0},
        {"t", FieldKind::WideString, 4000}};
    ASSERT_EQ(result.columns.size(), 7);
    for (int c = 0; c < 7; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(result.columns[c].name, std::get<0>(expected[c]));
        EXPECT_EQ(result.columns[c].kind, std::get<1>(expected[c]));
        EXPECT_EQ(result.columns[c].size, std::get<2>(expected[c]));
    }
    ASSERT_EQ(result.rowCount(), 2);
    EXPECT_EQ(result.cell(0, 0), QVariant(42));
    EXPECT_EQ(result.cell(0, 1).toString(), "Экзамен");
    EXPECT_EQ(result.cell(0, 3), QVariant(withMs));
    EXPECT_EQ(result.cell(0, 4), QVariant(Q_INT64_C(5000000000)));
    EXPECT_EQ(result.cell(0, 5), QVariant(2.5));
    // Nulls come back typed with their column's kind.
    EXPECT_TRUE(result.cell(0, 6).isNull());
    EXPECT_EQ(result.cell(0, 6).metaType(), QMetaType::fromType<QString>());
    EXPECT_TRUE(result.cell(1, 0).isNull());
    EXPECT_EQ(result.cell(1, 0).metaType(), QMetaType::fromType<int>());
    EXPECT_EQ(result.cell(1, 3), QVariant(plain));
}

TEST_F(EmbeddedDriverTest, TypesExpressionsByTheirValues) {
    openAsOwner();
    const StatementResult result =
        run("SELECT 1 + 1 AS i, 5000000000 AS b, 0.5 AS f, 'x' || 'y' AS t, NULL AS n UNION ALL "
            "SELECT 3, NULL, NULL, NULL, NULL");
    const std::pair<FieldKind, QVariant> expected[] = {{FieldKind::Integer, 2},
                                                       {FieldKind::LargeInt, Q_INT64_C(5000000000)},
                                                       {FieldKind::Float, 0.5},
                                                       {FieldKind::WideString, QString("xy")},
                                                       {FieldKind::WideString, QVariant()}};
    for (int c = 0; c < 5; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(result.columns[c].kind, expected[c].first);
        if (expected[c].second.isValid())
            EXPECT_EQ(result.cell(0, c), expected[c].second);
        EXPECT_TRUE(result.cell(1, c).isNull() || c == 0);
    }
    EXPECT_EQ(result.cell(1, 4).metaType(), QMetaType::fromType<QString>());
}

TEST_F(EmbeddedDriverTest, ReadsTextDatesInTheSessionsDateOrder) {
    openAsOwner();
    run("CREATE TABLE D (d DATETIME)");
    run("INSERT INTO D VALUES ('03.04.2027 10:40')");
    EXPECT_EQ(run("SELECT d FROM D").cell(0, 0), QVariant(QDateTime(QDate(2027, 3, 4), QTime(10, 40))));
    run("SET DATEFORMAT dmy");
    EXPECT_EQ(m_driver.dateOrder(), "dmy");
    EXPECT_EQ(run("SELECT d FROM D").cell(0, 0), QVariant(QDateTime(QDate(2027, 4, 3), QTime(10, 40))));
    run("UPDATE D SET d = 'tomorrow'");
    EXPECT_EQ(errorOf([&] { run("SELECT d FROM D"); }),
              "Conversion failed when converting date and/or time from character string.");
    // A new session starts with the server's default order again.
    m_driver.open(settings(m_file, "owner", "secret"));
    EXPECT_EQ(m_driver.dateOrder(), "mdy");
}

TEST_F(EmbeddedDriverTest, ReturnsTheFirstResultAndPassesSqliteErrorsOn) {
    openAsOwner();
    const StatementResult result = run("CREATE TABLE N (v INT); INSERT INTO N VALUES (1), (2); "
                                       "SELECT v FROM N ORDER BY v; SELECT 'second'");
    ASSERT_EQ(result.rowCount(), 2);
    EXPECT_EQ(result.cell(1, 0), QVariant(2));
    const StatementResult empty = run("SELECT v FROM N WHERE v > ?", {5});
    EXPECT_TRUE(empty.hasResultSet);
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(run("UPDATE N SET v = v + 10").rowsAffected, 2);
    EXPECT_EQ(errorOf([&] { run("SELECT * FROM Nowhere"); }), "no such table: Nowhere");
    EXPECT_EQ(errorOf([&] { run("SELECT ?, ?", {1}); }),
              "The statement has 2 parameter markers but 1 values were supplied.");
}

TEST_F(EmbeddedDriverTest, RunsProceduresStoredInTheDatabase) {
    testsupport::ReplaceProcedure(m_file, "Echo", "@a, @b, @c",
                                  "CREATE TABLE IF NOT EXISTS Calls (a, b, c);\n"
                                  "INSERT INTO Calls VALUES (@a, @B, @c);\n"
                                  "SELECT @a AS a, @b AS b, @c AS c;\n"
                                  "SELECT 'ignored';");
    openAsOwner();
    struct Case {
        QString statement;
        QList<QVariant> values;
        QVariantList expected;
    };
    const Case cases[] = {
        {"EXEC Echo 1, 'two', NULL", {}, {1, QString("two"), QVariant()}},
        {"exec [dbo].[echo] @c = 3, @a = 'x''y', @b = ?", {2.5}, {QString("x'y"), 2.5, 3}},
        {"EXECUTE Echo ?, ?, ?",
         {QDateTime(QDate(2027, 1, 9), QTime(9, 0)), QString("б"), QVariant()},
         {QString("2027-01-09 09:00:00"), QString("б"), QVariant()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement.toStdString());
        const StatementResult result = run(c.statement, c.values);
        ASSERT_EQ(result.rowCount(), 1);
        for (int i = 0; i < 3; ++i) {
            if (c.expected[i].isValid())
                EXPECT_EQ(result.cell(0, i).toString(), c.expected[i].toString()) << i;
            else
                EXPECT_TRUE(result.cell(0, i).isNull()) << i;
        }
    }
    EXPECT_EQ(run("SELECT count(*) FROM Calls").cell(0, 0), QVariant(3));
}

TEST_F(EmbeddedDriverTest, RefusesWrongCallsWithTheServersTexts) {
    testsupport::ReplaceProcedure(m_file, "P", "@a, @b", "SELECT @a, @b");
    openAsOwner();
    const std::pair<const char*, const char*> cases[] = {
        {"EXEC Nope 1", "Could not find stored procedure 'Nope'."},
        {"EXEC P 1, 2, 3", "Procedure or function P has too many arguments specified."},
        {"EXEC P 1", "Procedure or function 'P' expects parameter '@b', which was not supplied."},
        {"EXEC P @a = 1, @z = 2", "@z is not a parameter for procedure P."},
        {"EXEC P 1, @a = 2", "Parameter '@a' was supplied multiple times."},
        {"EXEC P ?, ?", "The statement has 2 parameter markers but 0 values were supplied."},
        {"EXEC P 1, 'x", "Unclosed quotation mark after the character string 'x'."},
    };
    for (const auto& [statement, message] : cases) {
        SCOPED_TRACE(statement);
        EXPECT_EQ(errorOf([&] { run(statement); }), QString::fromUtf8(message));
    }
}

TEST_F(EmbeddedDriverTest, AProcedureThatRaisesLeavesNothingBehind) {
    testsupport::ExecuteSql(m_file, "CREATE TABLE Marks (v INT)");
    testsupport::ReplaceProcedure(m_file, "Fails", "@v",
                                  "INSERT INTO Marks VALUES (@v);\n" +
                                      testsupport::RaiseStatement(m_file, "Доступ закрыт: 'сессия'."));
    openAsOwner();
    EXPECT_EQ(errorOf([&] { run("EXEC Fails 1"); }), "Доступ закрыт: 'сессия'.");
    EXPECT_EQ(run("SELECT count(*) FROM Marks").cell(0, 0), QVariant(0));
    // The connection goes on working.
    EXPECT_EQ(run("SELECT 7").cell(0, 0), QVariant(7));
}

TEST_F(EmbeddedDriverTest, TheBootstrapLoginMayOnlyRunGetUser) {
    m_driver.open(settings(m_file, "zor_boot", "boot"));
    EXPECT_TRUE(
        run("EXEC GET_USER 'demo','x',NULL, 'ZOR 27', '127.0.0.1', 'PC', 'demo','0','4'").hasResultSet);
    const std::pair<const char*, const char*> refused[] = {
        {"EXEC GetRatingTable 1, 1, 1, 1", "The EXECUTE permission was denied on the object "
                                           "'GetRatingTable', database 'contract', schema 'dbo'."},
        {"SELECT * FROM Users",
         "The SELECT permission was denied on the object 'Users', database 'contract', schema 'dbo'."},
        {"SELECT id_a_year FROM InfoForRating", "The SELECT permission was denied on the object "
                                                "'InfoForRating', database 'contract', schema 'dbo'."},
        {"UPDATE ControlSchedule SET Time_1 = '09:00'",
         "The UPDATE permission was denied on the object 'ControlSchedule', database 'contract', schema "
         "'dbo'."},
        {"DELETE FROM SignInLog",
         "The DELETE permission was denied on the object 'SignInLog', database 'contract', schema 'dbo'."},
        {"CREATE TABLE X (a INT)",
         "The login 'zor_boot' has no permission to change the database 'contract' or its settings."},
    };
    for (const auto& [statement, message] : refused) {
        SCOPED_TRACE(statement);
        EXPECT_EQ(errorOf([&] { run(statement); }), QString::fromUtf8(message));
    }
}

TEST_F(EmbeddedDriverTest, TheUsersLoginReadsTheListsAndWritesTheSchedule) {
    m_driver.open(settings(m_file, "zor_demo", "Zor27demo"));
    EXPECT_TRUE(run("SELECT  id_a_year, [p32] AS Year FROM [InfoForRating] \r\nGROUP BY id_a_year, [p32]\r\n")
                    .hasResultSet);
    EXPECT_TRUE(run("SELECT id_group, p20 FROM RatingView").hasResultSet);
    EXPECT_EQ(run("SELECT * FROM TypeControl").rowCount(), 6);
    EXPECT_TRUE(run("EXEC GetRatingTable 1, 1, 1, 1").hasResultSet);
    EXPECT_EQ(run("UPDATE ControlSchedule SET Time_1 = ? WHERE id_schedule = ? AND Time_1 IS NULL",
                  {QString("09:00"), 1})
                  .rowsAffected,
              0);
    EXPECT_EQ(
        errorOf([&] { run("EXEC GET_USER 'a','b',NULL,'c','d','e','f','0','4'"); }),
        "The EXECUTE permission was denied on the object 'GET_USER', database 'contract', schema 'dbo'.");
    EXPECT_EQ(
        errorOf([&] { run("SELECT name, password FROM sys_logins"); }),
        "The SELECT permission was denied on the object 'sys_logins', database 'contract', schema 'dbo'.");
}

} // namespace
