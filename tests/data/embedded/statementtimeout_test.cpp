// The embedded engine's time limit: a statement that runs longer is given up with the server's
// text, leaves nothing behind, and the connection goes on.
#include "data/dataerror.h"
#include "data/embedded/embeddeddriver.h"
#include "support/contractdb.h"
#include "support/errortext.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "data/qstringprinter.h"

namespace {

TEST(EmbeddedStatementTimeoutTest, ALongStatementIsGivenUpAndLeavesNothingBehind) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = testsupport::BuildContractDb(dir.path(), true, "demo.db");
    // A procedure that writes, then counts far more rows than it can in a second.
    testsupport::ReplaceProcedure(
        file, "Slow", "@n",
        "UPDATE ControlSchedule SET Audience_1 = 'Занято' WHERE id_schedule = @n;\n"
        "SELECT count(*) FROM ControlSchedule a, ControlSchedule b, ControlSchedule c;");
    testsupport::ExecuteSql(file, "INSERT INTO sys_permissions VALUES ('zor_demo', 'EXECUTE', 'Slow')");
    EmbeddedDriver driver;
    driver.setStatementTimeout(1);
    driver.open({{"Data Source", "embedded"},
                 {"Initial Catalog", file},
                 {"User ID", "zor_demo"},
                 {"Password", "Zor27demo"}});
    const QVariant row = driver.execute("SELECT min(id_schedule) AS k FROM ControlSchedule", {}).cell(0, 0);

    EXPECT_EQ(ErrorText([&] {
                  driver.execute(
                      "SELECT count(*) AS n FROM ControlSchedule a, ControlSchedule b, ControlSchedule c",
                      {});
              }),
              "Query timeout expired");
    EXPECT_EQ(ErrorText([&] { driver.execute("EXEC Slow ?", {row}); }), "Query timeout expired");
    EXPECT_TRUE(driver.isOpen());
    EXPECT_NE(
        driver.execute("SELECT Audience_1 FROM ControlSchedule WHERE id_schedule = ?", {row}).cell(0, 0),
        QVariant("Занято"));
    // Without a limit the same connection answers what it can.
    driver.setStatementTimeout(0);
    EXPECT_EQ(driver.execute("SELECT count(*) AS n FROM TypeControl", {}).cell(0, 0).toInt(), 6);
}

} // namespace

// Another session that holds the whole file locked past the limit: calling a procedure reports the
// time-out, as any statement does, never that the procedure is missing.
TEST(EmbeddedStatementTimeoutTest, AProcedureCallBehindAnExclusiveLockTimesOut) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = testsupport::BuildContractDb(dir.path(), true, "demo.db");
    testsupport::ExecuteSql(file, "INSERT INTO sys_logins VALUES ('owner', 'secret')");
    const ConnectionPairs settings{
        {"Data Source", "embedded"}, {"Initial Catalog", file}, {"User ID", "owner"}, {"Password", "secret"}};
    EmbeddedDriver driver;
    driver.setStatementTimeout(1);
    driver.open(settings);
    EmbeddedDriver locker;
    locker.open(settings);
    locker.execute("BEGIN EXCLUSIVE", {});
    locker.execute("UPDATE TypeControl SET typeControl = typeControl", {});

    const QString calls[] = {"EXEC GetRatingTable 1, 1, 1, 1",
                             "EXEC GET_USER 'demo','0','NULL','ZOR 27','127.0.0.1','PC','demo','0','4'"};
    for (const QString& call : calls) {
        SCOPED_TRACE(call.toStdString());
        EXPECT_EQ(ErrorText([&] { driver.execute(call, {}); }), "Query timeout expired");
    }
    locker.execute("ROLLBACK", {});
    EXPECT_TRUE(driver.execute("EXEC GetRatingTable 1, 1, 1, 1", {}).hasResultSet);
}
