// The ODBC connection string for each driver the program talks to: FreeTDS here, the system's "SQL
// Server" driver on Windows. The Windows string is also tried for real, through a driver registered
// under that name in a private ODBC configuration (FreeTDS again), in a child run of this program.
#include "data/connection.h"
#include "data/connectionstringparser.h"
#include "data/dataerror.h"
#include "data/odbc/odbcconnectionstring.h"
#include "data/odbc/odbcdriver.h"
#include "support/contractdb.h"
#include "support/errortext.h"
#include "support/tdsstandin.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

ConnectionPairs Settings(const QString& user, const QString& password, const QString& database,
                         const QString& source = "db01") {
    return {{"Provider", "SQLOLEDB.1"},          {"Password", password},  {"User ID", user},
            {"Initial Catalog", database},       {"Data Source", source}, {"Packet Size", "4096"},
            {"Use Encryption for Data", "False"}};
}

// Each value as each driver reads it back: FreeTDS takes a braced value up to the first "};" as it
// is; the Windows driver ends it at a lone '}' and reads "}}" as one.
TEST(OdbcConnectionStringTest, ValuesAreWrittenSoThatEachDriverReadsThemUnchanged) {
    const struct {
        QString value, freeTds, windows;
    } cases[] = {
        {"plain", "plain", "plain"},
        {"Пароль", "Пароль", "Пароль"},
        {"a b", "a b", "a b"},
        {"a}b", "{a}b}", "{a}}b}"},
        {"}", "{}}", "{}}}"},
        {"a}", "{a}}", "{a}}}"},
        {"{", "{{}", "{{}"},
        {"{a}", "{{a}}", "{{a}}}"},
        {";", "{;}", "{;}"},
        {"a;UID=x", "{a;UID=x}", "{a;UID=x}"},
        {"a=b", "{a=b}", "{a=b}"},
        {"'\"", "'\"", "'\""},
        {" lead", "{ lead}", "{ lead}"},
        {"trail ", "{trail }", "{trail }"},
        {"};PWD=x", "", "{}};PWD=x}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        if (c.freeTds.isEmpty())
            EXPECT_EQ(ErrorText([&] { OdbcValue("Password", c.value, OdbcDriverKind::FreeTds); }),
                      "The Password holds \"};\", which the ODBC driver cannot pass on unchanged; the "
                      "connection was not attempted.");
        else
            EXPECT_EQ(OdbcValue("Password", c.value, OdbcDriverKind::FreeTds), c.freeTds);
        EXPECT_EQ(OdbcValue("Password", c.value, OdbcDriverKind::WindowsSqlServer), c.windows);
    }
    for (const OdbcDriverKind driver : {OdbcDriverKind::FreeTds, OdbcDriverKind::WindowsSqlServer})
        EXPECT_EQ(ErrorText([&] { OdbcValue("User ID", QString("a") + QChar(0) + "b", driver); }),
                  "The User ID holds a character of code 0, which the ODBC driver cannot pass on unchanged; "
                  "the connection was not attempted.");
}

TEST(OdbcConnectionStringTest, TheWindowsStringNamesTheSystemsDriverOnce) {
    EXPECT_EQ(BuildOdbcConnectionString(Settings("zor", "p}w", "Рейтинг", "db01\\SQL2005"),
                                        OdbcDriverKind::WindowsSqlServer),
              "DRIVER={SQL Server};SERVER=db01\\SQL2005;DATABASE=Рейтинг;UID=zor;PWD={p}}w};Encrypt=no;"
              "AutoTranslate=yes;PacketSize=4096;");
    EXPECT_EQ(
        BuildOdbcConnectionString(Settings("zor", "p", "d", "10.0.0.5,1433"),
                                  OdbcDriverKind::WindowsSqlServer),
        "DRIVER={SQL Server};SERVER=10.0.0.5,1433;DATABASE=d;UID=zor;PWD=p;Encrypt=no;AutoTranslate=yes;"
        "PacketSize=4096;");
    // The driver of this build.
#ifdef Q_OS_WIN
    EXPECT_EQ(DefaultOdbcDriverKind(), OdbcDriverKind::WindowsSqlServer);
#else
    EXPECT_EQ(DefaultOdbcDriverKind(), OdbcDriverKind::FreeTds);
#endif
}

TEST(OdbcConnectionStringTest, AValueTheDriverCannotCarryIsRefusedNamingItsKey) {
    const struct {
        ConnectionPairs settings;
        const char* error;
    } cases[] = {
        {Settings("a};UID=sa", "p", "d"), "The User ID holds \"};\""},
        {Settings("u", "x};", "d"), "The Password holds \"};\""},
        {Settings("u", "p", "d};PWD=x"), "The Initial Catalog holds \"};\""},
        {Settings("u", "p", "d", "host};x"), "The Data Source holds \"};\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorText([&] { BuildOdbcConnectionString(c.settings, OdbcDriverKind::FreeTds); }),
                  QString::fromUtf8(c.error) +
                      ", which the ODBC driver cannot pass on unchanged; the connection was not attempted.");
}

// The Windows string against the stand-in: a private ODBC configuration registers FreeTDS under the
// Windows driver's name "SQL Server". The driver manager reads its configuration once per process,
// so this runs in a child run of this program with ODBCSYSINI set.
TEST(OdbcConnectionStringTest, TheWindowsStringConnects) {
    if (qEnvironmentVariableIsSet("ZOR_STANDIN_SOURCE")) {
        Connection connection;
        connection.setDriverFactory([](const ConnectionPairs&) {
            return std::make_unique<OdbcDriver>(5, OdbcDriverKind::WindowsSqlServer);
        });
        connection.setConnectionString(
            "Password=Zor27demo;User ID=zor_demo;Initial Catalog=demo;Data Source=" +
            qEnvironmentVariable("ZOR_STANDIN_SOURCE"));
        connection.open();
        EXPECT_TRUE(connection.isOpen());
        EXPECT_EQ(connection.run("SELECT count(*) AS n FROM TypeControl", {}).rowCount(), 1);
        return;
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile ini(dir.filePath("odbcinst.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[SQL Server]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so\n");
    ini.close();
    const QString file = testsupport::BuildContractDb(dir.path(), true, "demo.db");
    testsupport::TdsStandIn server(file, dir.path());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ODBCSYSINI", dir.path());
    environment.insert("ZOR_STANDIN_SOURCE", server.dataSource());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=OdbcConnectionStringTest.TheWindowsStringConnects"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    QStringList users;
    for (const QJsonObject& record : server.log())
        if (record.value("kind").toString() == "login")
            users << record.value("user").toString() + "/" + record.value("password").toString() + "/" +
                         record.value("database").toString();
    EXPECT_EQ(users, QStringList({"zor_demo/Zor27demo/demo"}));
}

} // namespace
