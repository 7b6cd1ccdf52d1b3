// What the user reads when the SQL Server driver fails: the server's or the driver's own message,
// whole, without the tags that the driver manager and the driver put before it.
#include "data/connection.h"
#include "data/dataerror.h"
#include "data/odbc/diagnostictext.h"
#include "data/odbc/odbcconnection.h"
#include "data/odbc/odbcerror.h"
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
    // Each of several messages keeps a line of its own (a CR between them), as the server's lines do.
    EXPECT_EQ(
        ProviderText({"[FreeTDS][SQL Server]Unknown host machine name.",
                      "[FreeTDS][SQL Server]Unable to connect: Adaptive Server is unavailable or does "
                      "not exist",
                      "[FreeTDS][SQL Server]Unable to connect to data source"}),
        "Unknown host machine name.\rUnable to connect: Adaptive Server is unavailable or does not exist");
    // A driver manager that hands on the same record twice (Wine's, for one) does not double the text.
    EXPECT_EQ(ProviderText({"[FreeTDS][SQL Server]Unable to connect: Adaptive Server is unavailable",
                            "[FreeTDS][SQL Server]Unable to connect: Adaptive Server is unavailable"}),
              "Unable to connect: Adaptive Server is unavailable");
}

// No error text of the data layer shows a password: a value of PWD or Password (keys in any case,
// braced values with doubled closing braces, quoted ones, or up to the next semicolon) is left out.
TEST(SecretTextTest, PasswordValuesAreLeftOutOfErrorTexts) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"Can't open lib 'FreeTDS;SERVER=x;PWD=secret' : file not found",
         "Can't open lib 'FreeTDS;SERVER=x;PWD="},
        {"DRIVER={FreeTDS};UID=u;PWD=secret;DATABASE=d", "DRIVER={FreeTDS};UID=u;PWD=;DATABASE=d"},
        {"uid=u;pwd = {se;c}}r=et};x=1", "uid=u;pwd =;x=1"},
        {"Provider=SQLOLEDB.1;Password=Тайна;Persist Security Info=True",
         "Provider=SQLOLEDB.1;Password=;Persist Security Info=True"},
        {"PASSWORD=\"a;b\"\"c\";User ID=u", "PASSWORD=;User ID=u"},
        {"pAsSwOrD='x;y' and PwD=z", "pAsSwOrD= and PwD="},
        {"Password={unclosed;rest", "Password="},
        {"Login failed for user 'zor_boot'.", "Login failed for user 'zor_boot'."},
        {"The password is wrong", "The password is wrong"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataError(QString::fromUtf8(c.text)).text(), QString::fromUtf8(c.shown)) << c.text;
}

// A connection string that the driver manager cannot read comes back inside its message; the
// password in it does not.
TEST(SecretTextTest, AMalformedConnectionStringDoesNotShowItsPassword) {
    OdbcConnection connection;
    std::string text;
    try {
        connection.open(u"DRIVER={FreeTDS;SERVER=127.0.0.1,1;UID=zor_boot;PWD=Sekret-42;TDS_Version=7.4", 1);
    } catch (const OdbcError& error) {
        text = error.what();
    }
    EXPECT_NE(text, "");
    EXPECT_EQ(text.find("Sekret-42"), std::string::npos) << text;
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
