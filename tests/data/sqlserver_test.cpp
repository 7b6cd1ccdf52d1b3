// The SQL Server driver end to end: FreeTDS through unixODBC against the stand-in serving the
// demo database.
#include "data/connectionstringparser.h"
#include "data/dataerror.h"
#include "data/odbc/odbcdriver.h"
#include "datamodule/tdm_mb.h"
#include "support/contractdb.h"
#include "support/storedvalue.h"
#include "support/tdsstandin.h"

#include "support/errortext.h"
#include "support/hostprogram.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

QString ServerConnectionString(const QString& dataSource, const QString& user = "zor_demo",
                               const QString& password = "Zor27demo") {
    return "Provider=SQLOLEDB.1;Password=" + password + ";Persist Security Info=True;User ID=" + user +
           ";Initial Catalog=demo;Data Source=" + dataSource +
           ";Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;Use Encryption for Data=False;"
           "Tag with column collation when possible=False";
}

class SqlServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        m_server = std::make_unique<testsupport::TdsStandIn>(m_file, m_dir.path());
    }

    void signIn() {
        m.ADOCon->setConnectionString(ServerConnectionString(m_server->dataSource()));
        m.ADOCon->open();
    }

    void openSchedule() {
        Query keys("", m.ADOCon);
        keys.setSql({"SELECT id_a_year, id_semester, id_faculty, id_group, count(*) AS n FROM InfoForRating",
                     "GROUP BY id_a_year, id_semester, id_faculty, id_group ORDER BY n DESC"});
        keys.open();
        const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
        for (int i = 0; i < 4; ++i)
            m.ADOQ_RatingTable->findParam(names[i])->setValue(keys.field(i)->value());
        m.ADOQ_RatingTable->open();
    }

    // A column of a schedule row as the file holds it now.
    QVariant stored(const QString& column, const QVariant& key) {
        return testsupport::StoredScheduleValue(m_file, column, key);
    }

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<testsupport::TdsStandIn> m_server;
    TDM_MB m;
};

TEST_F(SqlServerTest, AnsiTextArrivesUnchanged) {
    signIn();
    m.ADOTable1->open();
    Connection direct;
    direct.setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" +
                               m_file + "\"");
    direct.open();
    Table types("", &direct);
    types.setTableName("TypeControl");
    types.open();
    for (int record = 0; record < types.recordCount(); ++record)
        EXPECT_EQ(m.ADOTable1typeControl->valueAt(record), types.fieldByName("typeControl")->valueAt(record));
}

// Each value goes to the server with its own type (a NULL too, which the server refuses when it
// is untyped) and comes back with the column's kind.
TEST_F(SqlServerTest, ValuesRoundTripWithTheirTypes) {
    signIn();
    const QVariant key =
        m.ADOCon->run("SELECT id_schedule FROM ControlSchedule ORDER BY id_schedule", {}).cell(0, 0);
    const QDateTime morning(QDate(2027, 1, 14), QTime(9, 30));
    const struct {
        const char* column;
        QVariant value;
        FieldKind kind;
    } cases[] = {
        {"Audience_1", QString("Ауд-7ё"), FieldKind::WideString},
        {"Audience_1", QVariant(QMetaType::fromType<QString>()), FieldKind::WideString},
        {"Time_1", QString("Утро"), FieldKind::AnsiString},
        {"Date_1", morning, FieldKind::DateTime},
        {"Date_1", QVariant(QMetaType::fromType<QDateTime>()), FieldKind::DateTime},
        {"id_typeControl_1", QVariant(QMetaType::fromType<int>()), FieldKind::Integer},
        {"id_typeControl_1", 2, FieldKind::Integer},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(std::string(item.column) + " = " + item.value.toString().toStdString());
        const QString column = QString::fromLatin1(item.column);
        const StatementResult update = m.ADOCon->run(
            "UPDATE ControlSchedule SET " + column + " = ? WHERE id_schedule = ?", {item.value, key});
        EXPECT_FALSE(update.hasResultSet);
        EXPECT_EQ(update.rowsAffected, 1);
        const StatementResult read =
            m.ADOCon->run("SELECT " + column + " FROM ControlSchedule WHERE id_schedule = ?", {key});
        ASSERT_TRUE(read.hasResultSet);
        ASSERT_EQ(read.rowCount(), 1);
        EXPECT_EQ(read.columns[0].name, column);
        EXPECT_EQ(read.columns[0].kind, item.kind);
        const QVariant& cell = read.cell(0, 0);
        EXPECT_EQ(cell.metaType(), item.value.metaType());
        EXPECT_EQ(cell.isNull(), item.value.isNull());
        if (!item.value.isNull()) {
            EXPECT_EQ(cell, item.value);
            EXPECT_EQ(stored(column, key), item.value);
        } else {
            EXPECT_TRUE(stored(column, key).isNull());
        }
    }
    EXPECT_EQ(
        m.ADOCon->run("UPDATE ControlSchedule SET Time_1 = ? WHERE id_schedule = ?", {"x", -1}).rowsAffected,
        0);
}

TEST_F(SqlServerTest, SignInProcedureReadByPosition) {
    m.ADOCon->setConnectionString(ServerConnectionString(m_server->dataSource(), "zor_boot", "boot"));
    m.ADOCon->open();
    Query transient("", m.ADOCon);
    transient.setSqlText(
        "EXEC GET_USER 'demo','FE01CE2A7FBAC8FAFAED7C982A04E229',NULL, 'ZOR 27', '127.0.0.1', "
        "'WS1', 'demo','0','4'");
    transient.open();
    ASSERT_GE(transient.fieldCount(), 6);
    EXPECT_EQ(transient.field(0)->asString(), "ynq^cdln");
    EXPECT_EQ(transient.field(1)->asString(), "Ynq16cdln");
    EXPECT_EQ(transient.field(4)->asString(), "");
    EXPECT_LT(transient.field(5)->asInteger(), 2);
    transient.field(3)->asInteger();
    EXPECT_EQ(ErrorText([&] { transient.field(transient.fieldCount()); }),
              QString("List index out of bounds (%1)").arg(transient.fieldCount()));
}

TEST_F(SqlServerTest, FailuresCarryTheServersOrProvidersText) {
    m.ADOCon->setConnectionString(ServerConnectionString(m_server->dataSource(), "zor_demo", "wrong"));
    EXPECT_EQ(ErrorText([&] { m.ADOCon->open(); }), "Login failed for user 'zor_demo'.");
    EXPECT_FALSE(m.ADOCon->isOpen());

    signIn();
    m_server->setFaultRules(QJsonArray{QJsonObject{{"match", "GetRatingTable"},
                                                   {"action", "error"},
                                                   {"number", 50000},
                                                   {"message", "Сервер занят: повторите позже"},
                                                   {"times", 1}}});
    EXPECT_EQ(ErrorText([&] { openSchedule(); }), "Сервер занят: повторите позже");
    EXPECT_FALSE(m.ADOQ_RatingTable->isActive());
    openSchedule();

    m_server->setFaultRules(
        QJsonArray{QJsonObject{{"match", "^UPDATE"},
                               {"action", "error"},
                               {"number", 547},
                               {"message", "The UPDATE statement conflicted with a constraint."},
                               {"times", 1}}});
    m.ADOQ_RatingTable->edit();
    m.ADOQ_RatingTableAudience_1->setAsString("Д-1");
    EXPECT_EQ(ErrorText([&] { m.ADOQ_RatingTable->post(); }),
              "The UPDATE statement conflicted with a constraint.");
    EXPECT_EQ(m.ADOQ_RatingTableAudience_1->asString(), "Д-1");
    m.ADOQ_RatingTable->post();
    EXPECT_EQ(m.ADOQ_RatingTable->state(), DataSetState::Browse);

    m_server->setFaultRules(QJsonArray{QJsonObject{{"match", "^UPDATE"}, {"action", "drop"}}});
    m.ADOQ_RatingTable->edit();
    m.ADOQ_RatingTableAudience_1->setAsString("Е-2");
    EXPECT_EQ(ErrorText([&] { m.ADOQ_RatingTable->post(); }), "Unexpected EOF from the server");
    EXPECT_EQ(m.ADOQ_RatingTable->state(), DataSetState::Edit);
    EXPECT_EQ(m.ADOQ_RatingTableAudience_1->asString(), "Е-2");
    // A lost connection is given up: the next statement says so, and opening again reaches the server.
    EXPECT_FALSE(m.ADOCon->isOpen());
    EXPECT_EQ(ErrorText([&] { m.ADOQ_A_Year->open(); }),
              "Operation is not allowed when the connection is closed");
    m.ADOCon->open();
    m.ADOQ_A_Year->open();
    EXPECT_GT(m.ADOQ_A_Year->recordCount(), 1);
}

TEST(SqlServerConnectTest, UnreachablePortFailsWithTheProvidersText) {
    Connection connection;
    // Nothing listens on port 1 of the loopback address.
    connection.setConnectionString(ServerConnectionString("127.0.0.1,1"));
    const QString text = ErrorText([&] { connection.open(); });
    EXPECT_EQ(text, "Unable to connect: Adaptive Server is unavailable or does not exist");
    EXPECT_FALSE(connection.isOpen());
}

// A server that takes the connection and never answers: the login gives up after its timeout
// with the driver's text.
TEST(SqlServerConnectTest, SilentServerTimesOutWithTheProvidersText) {
#ifdef _WIN32
    // Under Wine the login time limit does not reach FreeTDS through Wine's ODBC, and the attempt
    // waits for ever; a statement's limit does (DriverCases.SilentServerIsGivenUpWithinTheTimeLimit).
    GTEST_SKIP() << "Wine's ODBC does not pass the login time limit on to FreeTDS";
#endif
    QTemporaryDir folder;
    QFile script(folder.filePath("listener.py"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("import os, socket, sys, time\n"
                 "s = socket.socket()\n"
                 "s.bind(('127.0.0.1', 0))\n"
                 "s.listen(1)\n"
                 "open(sys.argv[1] + '.part', 'w').write(str(s.getsockname()[1]))\n"
                 "os.rename(sys.argv[1] + '.part', sys.argv[1])\n"
                 "time.sleep(60)\n");
    script.close();
    testsupport::HostProcess listener;
    ASSERT_TRUE(listener.start(testsupport::HostPython(), {testsupport::HostPath(script.fileName()),
                                                           testsupport::HostPath(folder.filePath("port"))}));
    QString port;
    for (int wait = 0; wait < 500 && port.isEmpty(); ++wait) {
        QFile file(folder.filePath("port"));
        if (file.open(QIODevice::ReadOnly))
            port = QString::fromLatin1(file.readAll()).trimmed();
        else
            QThread::msleep(20);
    }
    ASSERT_FALSE(port.isEmpty()) << "the listener did not start";
    OdbcDriver driver(1);
    const QString text =
        ErrorText([&] { driver.open(ParseConnectionString(ServerConnectionString("127.0.0.1," + port))); });
    listener.stop();
    EXPECT_EQ(text, "Timeout expired");
    EXPECT_FALSE(driver.isOpen());
}

// The name is looked up in a network namespace of the test's own (unshare -rn), where the
// machine's resolver cannot be reached, so no query leaves the machine.
TEST(SqlServerConnectTest, UnresolvableHostFailsWithTheProvidersText) {
    // The Windows check runs the tests in such a namespace already, with host names from the hosts file.
    if (qEnvironmentVariableIsSet("ZOR_IN_NETNS") || qEnvironmentVariableIsSet("ZOR_RESOLVER_FILES_ONLY")) {
        Connection connection;
        connection.setConnectionString(ServerConnectionString("no-such-host.invalid"));
        const QString text = ErrorText([&] { connection.open(); });
#ifdef _WIN32
        // Wine's ODBC hands on FreeTDS's "Unable to connect" as well, ahead of the reason.
        EXPECT_TRUE(text.endsWith("Unknown host machine name.")) << text.toStdString();
#else
        EXPECT_EQ(text, "Unknown host machine name.");
#endif
        return;
    }
#ifdef _WIN32
    GTEST_SKIP()
        << "needs ZOR_RESOLVER_FILES_ONLY=1: the network namespace that scripts/windows-check.sh makes";
#endif
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ZOR_IN_NETNS", "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("unshare", {"-rn", QCoreApplication::applicationFilePath(),
                            "--gtest_filter=SqlServerConnectTest.UnresolvableHostFailsWithTheProvidersText"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAll());
    if (output.contains("unshare failed") || output.contains("Operation not permitted"))
        GTEST_SKIP() << "no network namespaces here: " << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

} // namespace
