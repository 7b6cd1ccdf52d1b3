// Several connections to one embedded database: a file left as it is by opening it, the journal on
// a share, and a writer that waits its turn instead of failing.
#include "data/dataerror.h"
#include "data/embedded/embeddeddriver.h"
#include "data/embedded/sqlitedatabase.h"
#include "support/contractdb.h"
#include "support/errortext.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

#include "data/qstringprinter.h"

namespace {

QString JournalMode(const QString& file) {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Mode::OpenExisting);
    StatementResult result;
    db.run(
        "PRAGMA journal_mode", [](sqlite3_stmt*, int, const char*) {}, result);
    return result.cell(0, 0).toString().toLower();
}

void SetJournalMode(const QString& file, const QString& mode) {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Mode::OpenExisting);
    db.exec(QString("PRAGMA journal_mode = %1").arg(mode).toUtf8());
}

ConnectionPairs Owner(const QString& file) {
    return {
        {"Data Source", "embedded"}, {"Initial Catalog", file}, {"User ID", "owner"}, {"Password", "secret"}};
}

class EmbeddedWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        testsupport::ExecuteSql(m_file, "INSERT INTO sys_logins VALUES ('owner', 'secret')");
    }

    QTemporaryDir m_dir;
    QString m_file;
};

// Signing in and reading leave the file exactly as it was, whatever its journal; only a file in the
// log's mode on a share is put back into the rollback journal.
TEST_F(EmbeddedWritersTest, OpeningLeavesTheFileAsItIsExceptTheLogOnAShare) {
    const auto bytes = [this] {
        QFile file(m_file);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    for (const char* mode : {"delete", "wal"}) {
        SCOPED_TRACE(mode);
        SetJournalMode(m_file, mode);
        const QByteArray before = bytes();
        {
            EmbeddedDriver driver;
            driver.open(Owner(m_file));
            EXPECT_TRUE(driver.execute("EXEC GetRatingTable 1, 1, 1, 1", {}).hasResultSet);
        }
        EXPECT_EQ(JournalMode(m_file), mode);
        EXPECT_EQ(bytes(), before);
    }
    const struct {
        const char* start;
        bool local;
        const char* expected;
    } cases[] = {
        {"wal", false, "delete"},
        {"delete", false, "delete"},
        {"wal", true, "wal"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + (c.local ? " local" : " share"));
        SetJournalMode(m_file, c.start);
        SqliteDatabase db;
        db.open(m_file, SqliteDatabase::Mode::OpenExisting);
        db.leaveLogOnShare(c.local);
        db.close();
        EXPECT_EQ(JournalMode(m_file), c.expected);
    }
}

// Another session in the middle of a write: a reading call answers at once, a writing one waits for
// the limit and then reports the time-out, never that the procedure is missing.
TEST_F(EmbeddedWritersTest, ReadersGoOnBesideAWriterAndWritersWaitForTheLimit) {
    EmbeddedDriver driver;
    driver.setStatementTimeout(1);
    driver.open(Owner(m_file));
    EmbeddedDriver locker;
    locker.open(Owner(m_file));
    locker.execute("BEGIN IMMEDIATE", {});
    locker.execute("UPDATE TypeControl SET typeControl = typeControl", {});

    EXPECT_TRUE(driver.execute("EXEC GetRatingTable 1, 1, 1, 1", {}).hasResultSet);
    EXPECT_EQ(ErrorText([&] {
                  driver.execute("EXEC GET_USER 'demo','0','NULL','ZOR 27','127.0.0.1','PC','demo','0','4'",
                                 {});
              }),
              "Query timeout expired");
    locker.execute("ROLLBACK", {});
    EXPECT_TRUE(driver.execute("EXEC GET_USER 'demo','0','NULL','ZOR 27','127.0.0.1','PC','demo','0','4'", {})
                    .hasResultSet);
}

// A sign-in reads before it logs the attempt; another client saving all the while makes that read
// stale again and again. Every sign-in must still answer, each logged once.
TEST_F(EmbeddedWritersTest, ASignInBesideABusyWriterIsAnswered) {
    EmbeddedDriver driver;
    driver.setStatementTimeout(30);
    driver.open(Owner(m_file));
    const int logged = driver.execute("SELECT count(*) FROM SignInLog", {}).cell(0, 0).toInt();
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        EmbeddedDriver other;
        other.setStatementTimeout(30);
        other.open(Owner(m_file));
        for (int i = 0; !stop; ++i)
            other.execute("UPDATE ControlSchedule SET Audience_1 = ? WHERE id_schedule = "
                          "(SELECT min(id_schedule) FROM ControlSchedule)",
                          {QString::number(i % 100)});
    });
    constexpr int SignIns = 100;
    QStringList failures;
    for (int i = 0; i < SignIns; ++i) {
        try {
            driver.execute("EXEC GET_USER 'demo','0','NULL','ZOR 27','127.0.0.1','PC','demo','0','4'", {});
        } catch (const DataError& error) {
            failures << error.text();
        }
    }
    stop = true;
    writer.join();
    EXPECT_EQ(failures, QStringList());
    EXPECT_EQ(driver.execute("SELECT count(*) FROM SignInLog", {}).cell(0, 0).toInt(), logged + SignIns);
}

} // namespace
