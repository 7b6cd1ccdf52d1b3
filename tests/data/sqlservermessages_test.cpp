// What the user reads when the SQL Server driver fails: the server's or the driver's own message,
// whole, without the tags that the driver manager and the driver put before it.
#include "data/connection.h"
#include "data/dataerror.h"
#include "data/odbc/diagnostictext.h"
#include "data/query.h"
#include "support/contractdb.h"
#include "support/errortext.h"
#include "support/tdsstandin.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

TEST(DriverPrefixesTest, OnlyTheLeadingTagsOfTheDriverManagerAndTheDriverGo) {
    const struct {
        const char* record;
        const char* message;
    } cases[] = {
        {"[FreeTDS][SQL Server]Login failed for user 'zor'.", "Login failed for user 'zor'."},
        {"[unixODBC][FreeTDS][SQL Server]Ошибка [код 5] в GET_USER", "Ошибка [код 5] в GET_USER"},
        {"[unixODBC][Driver Manager]Can't open lib 'x' : file not found",
         "Can't open lib 'x' : file not found"},
        {"[Microsoft][ODBC SQL Server Driver][SQL Server]Invalid object name 'X'.",
         "Invalid object name 'X'."},
        {"[Microsoft][ODBC SQL Server Driver][DBNETLIB]SQL Server does not exist or access denied.",
         "SQL Server does not exist or access denied."},
        {"[Microsoft][ODBC Driver 17 for SQL Server][SQL Server]a [b] c", "a [b] c"},
        {"[Microsoft][ODBC Driver Manager] Data source name not found", " Data source name not found"},
        {"[Microsoft][ODBC SQL Server Driver]Query timeout expired", "Query timeout expired"},
        // After "[SQL Server]" the server speaks, brackets and all.
        {"[FreeTDS][SQL Server][FreeTDS] is the server's text", "[FreeTDS] is the server's text"},
        {"[FreeTDS][SQL Server][SQL Server]", "[SQL Server]"},
        // Brackets that no driver puts there are the message's own.
        {"[ZOR] Сервер занят", "[ZOR] Сервер занят"},
        {"Timeout expired", "Timeout expired"},
        {"[unclosed", "[unclosed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithoutDriverPrefixes(QString::fromUtf8(c.record)), QString::fromUtf8(c.message))
            << c.record;
    EXPECT_EQ(ProviderText({"[FreeTDS][SQL Server]Login failed for user 'u'.",
                            "[FreeTDS][SQL Server]Unable to connect to data source"}),
              "Login failed for user 'u'.");
    EXPECT_EQ(ProviderText({"[FreeTDS][SQL Server]Unable to connect to data source"}),
              "Unable to connect to data source");
}

class SqlServerMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_server = std::make_unique<testsupport::TdsStandIn>(
            testsupport::BuildContractDb(m_dir.path(), false, "contract.db"), m_dir.path());
    }

    QString connectionString(const QString& user, const QString& password) const {
        return "Password=" + password + ";User ID=" + user +
               ";Initial Catalog=demo;Data Source=" + m_server->dataSource();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<testsupport::TdsStandIn> m_server;
};

// The server's error texts arrive whole, brackets included, whatever they hold.
TEST_F(SqlServerMessagesTest, ServerErrorsArriveWhole) {
    Connection connection;
    connection.setConnectionString(connectionString("zor_demo", "Zor27demo"));
    connection.open();
    const char* messages[] = {
        "Ошибка [код 5] в GET_USER",
        "[ZOR] Процедура недоступна",
        "[SQL Server] в начале текста сервера",
        "a [b] c [d]",
        "] и [",
        "Строка 1\rСтрока 2",
    };
    for (const char* message : messages) {
        m_server->setFaultRules(QJsonArray{QJsonObject{{"match", "^SELECT 1"},
                                                       {"action", "error"},
                                                       {"number", 50000},
                                                       {"message", message},
                                                       {"times", 1}}});
        Query query("", &connection);
        query.setSqlText("SELECT 1 AS one");
        EXPECT_EQ(ErrorText([&] { query.open(); }), QString::fromUtf8(message));
    }
}

TEST_F(SqlServerMessagesTest, RefusedLoginAndLostConnectionArriveWhole) {
    Connection connection;
    connection.setConnectionString(connectionString("[nobody]", "x"));
    EXPECT_EQ(ErrorText([&] { connection.open(); }), "Login failed for user '[nobody]'.");
    connection.setConnectionString(connectionString("zor_demo", "Zor27demo"));
    connection.open();
    m_server->setFaultRules(QJsonArray{QJsonObject{{"match", "^SELECT 2"}, {"action", "drop"}}});
    EXPECT_EQ(ErrorText([&] { connection.run("SELECT 2 AS two", {}); }), "Unexpected EOF from the server");
}

} // namespace
