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
