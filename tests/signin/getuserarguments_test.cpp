// Whatever the user types as the login and whatever the system reports as the computer name reach
// GET_USER unchanged, in one statement, through the embedded engine and through the SQL Server
// driver against the stand-in. GET_USER is replaced by a body that records its arguments.
#include "context/ansicodec.h"
#include "context/programcontext.h"
#include "data/connection.h"
#include "data/dataerror.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "signin/bootstrapfile.h"
#include "signin/getuserstatement.h"
#include "signin/passworddigest.h"
#include "signin/signinexchange.h"
#include "signin/signinview.h"
#include "signin/workstationidentity.h"
#include "support/contractdb.h"
#include "support/errortext.h"
#include "support/fakeshell.h"
#include "support/fakesigninview.h"
#include "support/tdsstandin.h"
#include "support/tempinstallation.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "data/qstringprinter.h"

namespace {

enum class Engine { Embedded, SqlServer };

const QString Params = QStringLiteral("@Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, "
                                      "@ComputerName, @ClientLogin, @Mode, @Length");
// Records every call and answers with a message, so that a sign-in attempt ends after it.
const QString RecordingBody = QStringLiteral(
    "INSERT INTO CallLog VALUES (@Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, "
    "@ComputerName, @ClientLogin, @Mode, @Length);\n"
    "SELECT '' AS f0, '' AS f1, '' AS f2, 90 AS f3, 'stop' AS f4, 0 AS f5;");

struct Call {
    QString login, computerName, clientLogin, address, length;
};

// The texts of the table: every kind of character that a statement could take for something else.
QStringList Texts() {
    return {
        "a\":b c\"d",
        "a`:b c`d",
        "a':b c'd",
        ":b",
        "::",
        "a::b:c",
        "@P1 ?",
        "x\ry",
        "x\ny",
        "x\r\ny\r\n",
        "]",
        "[dbo].[x]",
        "/* c */ -- d",
        "{fn USER()} {d '2020-01-01'}",
        "x'; DROP TABLE TypeControl; --",
        "''",
        "\t lead and trail ",
        "\\%s%1",
        "Иванов Иван",
        QString(4000, QChar(0x42F)),
    };
}

class GetUserArgumentsTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_logs.isValid());
        m_file = m_install.addDatabase("getuser.db", false);
        m_data.ADOCon->setDatabaseFolder(m_install.dataFolder());
        testsupport::ExecuteSql(m_file,
                                "CREATE TABLE CallLog (Login TEXT, PasswordHash TEXT, NewPasswordHash TEXT, "
                                "Program TEXT, IpAddress TEXT, ComputerName TEXT, ClientLogin TEXT, "
                                "Mode TEXT, Length TEXT)");
        testsupport::ExecuteSql(m_file,
                                "INSERT INTO sys_permissions VALUES ('zor_demo', 'SELECT', 'CallLog')");
        testsupport::ReplaceProcedure(m_file, "GET_USER", Params, RecordingBody);
        if (GetParam() == Engine::SqlServer)
            m_server = std::make_unique<testsupport::TdsStandIn>(m_file, m_logs.path());
        m_install.writeBootstrapFile("zor_boot", "boot", m_server ? "demo" : "getuser.db",
                                     m_server ? m_server->dataSource() : "embedded");
    }

    void TearDown() override { m_server.reset(); }

    // A sign-in attempt whose view answers with this login (its attempt count 2: no offer).
    bool attempt(testsupport::FakeSignInView& view) {
        view.attempts = 2;
        return RunSignInAttempt(view, m_context, "NULL");
    }

    QString bootstrapConnectionString() const {
        if (m_server)
            return "Password=boot;User ID=zor_boot;Initial Catalog=demo;Data Source=" +
                   m_server->dataSource();
        return "Password=boot;User ID=zor_boot;Initial Catalog=\"" + m_file + "\";Data Source=embedded";
    }

    // A statement on the file, past any server.
    StatementResult direct(const QString& statement) {
        Connection connection;
        connection.setConnectionString(
            "User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" + m_file + "\"");
        connection.open();
        return connection.run(statement, {});
    }

    // The calls of GET_USER so far, read straight from the file; emptied after reading.
    QList<Call> calls() {
        QList<Call> result;
        const StatementResult rows =
            direct("SELECT Login, ComputerName, ClientLogin, IpAddress, Length FROM CallLog ORDER BY rowid");
        for (qsizetype row = 0; row < rows.rowCount(); ++row)
            result.append({rows.cell(row, 0).toString(), rows.cell(row, 1).toString(),
                           rows.cell(row, 2).toString(), rows.cell(row, 3).toString(),
                           rows.cell(row, 4).toString()});
        testsupport::ExecuteSql(m_file, "DELETE FROM CallLog");
        return result;
    }

    // The statements that reached the stand-in since the last call (none counted for the embedded engine).
    QStringList sentSince() {
        if (!m_server)
            return {};
        const QStringList all = m_server->statements();
        const QStringList fresh = all.mid(m_seen);
        m_seen = all.size();
        return fresh;
    }

    QTemporaryDir m_logs;
    testsupport::TempInstallation m_install;
    testsupport::FakeShell m_shell;
    TDM_MB m_data;
    platform::SystemHostResolver m_resolver; // the fake view answers for the address
    ProgramContext m_context{m_install.installation(), m_shell, m_data, m_resolver};
    QString m_file;
    std::unique_ptr<testsupport::TdsStandIn> m_server;
    qsizetype m_seen = 0;
};

std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Embedded ? "Embedded" : "SqlServer";
}

// The statement as the sign-in builds and sends it, with each text as the login and as the computer
// name: GET_USER receives them unchanged, and the server receives that one statement and nothing more.
TEST_P(GetUserArgumentsTest, LoginsAndComputerNamesArriveUnchanged) {
    Connection connection;
    connection.setConnectionString(bootstrapConnectionString());
    connection.open();
    sentSince();
    for (const QString& text : Texts()) {
        SCOPED_TRACE(text.left(40).toStdString());
        for (const bool asLogin : {true, false}) {
            const QString login = asLogin ? text : QStringLiteral("ivanov");
            const QString computer = asLogin ? QStringLiteral("WS-17") : text;
            const QString statement =
                BuildGetUserStatement(login, HashPassword("secret"), "NULL", "10.1.2.3", computer);
            Query query("", &connection);
            query.setSqlVerbatim(statement);
            EXPECT_EQ(query.parameters().count(), 0);
            EXPECT_EQ(ErrorText([&] { query.open(); }), "(no error)");
            EXPECT_EQ(query.field(4)->asString(), "stop");
            const QList<Call> received = calls();
            ASSERT_EQ(received.size(), 1);
            EXPECT_EQ(received[0].login, login);
            EXPECT_EQ(received[0].clientLogin, login);
            EXPECT_EQ(received[0].computerName, computer);
            EXPECT_EQ(received[0].address, "10.1.2.3");
            EXPECT_EQ(received[0].length, "4");
            if (m_server)
                EXPECT_EQ(sentSince(), QStringList({statement + "\r\n"}));
        }
    }
    EXPECT_EQ(direct("SELECT count(*) AS n FROM TypeControl").cell(0, 0).toInt(), 6);
}

// The same through a whole sign-in attempt, which reads the login from the dialog.
TEST_P(GetUserArgumentsTest, TheSignInSendsTheTypedLoginUnchanged) {
    for (const QString& text : Texts()) {
        SCOPED_TRACE(text.left(40).toStdString());
        testsupport::FakeSignInView view;
        view.login = text;
        sentSince();
        EXPECT_FALSE(attempt(view));
        EXPECT_EQ(m_shell.plainMessages, QStringList());
        EXPECT_EQ(view.status, "stop");
        const QList<Call> received = calls();
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received[0].login, text);
        EXPECT_EQ(received[0].clientLogin, text);
        EXPECT_EQ(received[0].computerName, ComputerName());
        if (m_server)
            EXPECT_EQ(sentSince(), QStringList({BuildGetUserStatement(text, HashPassword("secret"), "NULL",
                                                                      "10.1.2.3", ComputerName()) +
                                                "\r\n"}));
    }
}

// A character of code 0 cannot be carried in the statement: the attempt is refused before anything
// is sent, naming what holds it.
TEST_P(GetUserArgumentsTest, ACharacterOfCodeZeroIsRefusedBeforeAnythingIsSent) {
    const QString withNul = QString("iva") + QChar(0) + "nov";
    EXPECT_EQ(ErrorText([&] { BuildGetUserStatement("ivanov", "D", "NULL", "10.1.2.3", withNul); }),
              "Имя компьютера содержит символ с кодом 0: такой текст нельзя передать серверу.");
    testsupport::FakeSignInView view;
    view.login = withNul;
    sentSince();
    EXPECT_EQ(ErrorText([&] { attempt(view); }),
              "Логин содержит символ с кодом 0: такой текст нельзя передать серверу.");
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_EQ(sentSince(), QStringList());
    // Nothing more can be asked in this attempt: the bootstrap connection is not left open.
    EXPECT_FALSE(m_data.ADOCon->isOpen());
}

// The computer name reaches GET_USER as the system writes it (UTF-8 on Linux, the ANSI code page on
// Windows), not read as bytes of the other.
TEST_P(GetUserArgumentsTest, TheComputerNameArrivesAsTheSystemWritesIt) {
    const char* names[] = {"Бух-ПК", "WS-17", "Кафедра_ИВТ-3"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        testsupport::FakeSignInView view;
#ifdef _WIN32
        // In the ANSI code page, as GetComputerNameA gives it.
        view.reportedComputerName = AnsiCodec::client().fromUnicode(QString::fromUtf8(name)).toStdString();
#else
        view.reportedComputerName = name; // UTF-8, as gethostname gives it
#endif
        EXPECT_FALSE(attempt(view));
        const QList<Call> received = calls();
        ASSERT_EQ(received.size(), 1);
        EXPECT_EQ(received[0].computerName, QString::fromUtf8(name));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, GetUserArgumentsTest,
                         ::testing::Values(Engine::Embedded, Engine::SqlServer), EngineName);

} // namespace
