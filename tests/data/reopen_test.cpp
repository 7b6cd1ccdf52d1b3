// A statement that finds the connection closed: without a reopen handler it fails; with one, the
// handler runs once and the statement runs on the reopened connection.
#include "data/connection.h"
#include "data/dataerror.h"
#include "support/contractdb.h"
#include "support/errortext.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

class ReopenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        const QString file = testsupport::BuildContractDb(m_dir.path(), false);
        m_connection.setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;"
                                         "Initial Catalog=\"" +
                                         file + "\"");
    }

    QTemporaryDir m_dir;
    Connection m_connection;
};

} // namespace

TEST_F(ReopenTest, WithoutAHandlerAClosedConnectionFails) {
    EXPECT_EQ(ErrorText([&] { m_connection.execute("SELECT 1"); }),
              "Operation is not allowed when the connection is closed");
}

TEST_F(ReopenTest, TheHandlerRunsOncePerStatementThatFindsTheConnectionClosed) {
    int runs = 0;
    m_connection.setReopenHandler([&](Connection& connection) {
        ++runs;
        connection.open();
    });
    EXPECT_EQ(m_connection.run("SELECT count(*) FROM TypeControl", {}).cell(0, 0).toInt(), 6);
    EXPECT_EQ(runs, 1);
    m_connection.execute("SELECT 1");
    EXPECT_EQ(runs, 1) << "an open connection is not reopened";

    m_connection.close();
    m_connection.setReopenHandler([&](Connection&) { ++runs; });
    EXPECT_EQ(ErrorText([&] { m_connection.execute("SELECT 1"); }),
              "Operation is not allowed when the connection is closed");
    EXPECT_EQ(runs, 2);

    m_connection.setReopenHandler([](Connection&) { throw DataError("Сервер недоступен"); });
    EXPECT_EQ(ErrorText([&] { m_connection.execute("SELECT 1"); }), "Сервер недоступен");
}
