// Logins, passwords and database names with the characters that structure connection strings,
// through the provider's string, the ODBC string and FreeTDS to the stand-in: each reaches the server
// exactly as given, or the connection is refused before it is attempted, naming the value. Also for
// the per-user account that GET_USER hands back.
#include "context/programcontext.h"
#include "data/connection.h"
#include "data/dataerror.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "signin/bootstrapfile.h"
#include "signin/connectionstring.h"
#include "signin/signinexchange.h"
#include "signin/signinview.h"
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

struct Value {
    QString text;
    bool carried; // false: FreeTDS cannot take it unchanged, so it is refused
};

const Value Values[] = {
    {"a}b", true},     {"}", true},          {"a}", true},    {"{", true},      {"{a}", true},
    {";", true},       {"a;PWD=x", true},    {"=", true},     {"a=b", true},    {"'", true},
    {"\"", true},      {"it's \"x\"", true}, {" lead", true}, {"trail ", true}, {"in side", true},
    {"Пароль}", true}, {"};PWD=x", false},   {"x};", false},  {"}};", false},
};

struct Login {
    QString user, password, database;
};

class ConnectionValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_file = testsupport::BuildContractDb(m_dir.path(), true, "demo.db");
        m_server = std::make_unique<testsupport::TdsStandIn>(m_file, m_dir.path());
    }

    // The logins that reached the stand-in so far.
    QList<Login> logins() const {
        QList<Login> result;
        for (const QJsonObject& record : m_server->log())
            if (record.value("kind").toString() == "login")
                result.append({record.value("user").toString(), record.value("password").toString(),
                               record.value("database").toString()});
        return result;
    }

    void addLogin(const QString& name, const QString& password) {
        testsupport::ExecuteSql(m_file, "INSERT OR REPLACE INTO sys_logins VALUES (@n, @p)",
                                {{"n", name}, {"p", password}});
    }

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<testsupport::TdsStandIn> m_server;
};

QString Refusal(const char* key, const QString& value) {
    const QString what = value.contains(QChar(0)) ? QStringLiteral("a character of code 0") : "\"};\"";
    return QStringLiteral(
               "The %1 holds %2, which the ODBC driver cannot pass on unchanged; the connection was "
               "not attempted.")
        .arg(QString::fromLatin1(key), what);
}

// The Windows build speaks to the stand-in through FreeTDS registered as "SQL Server" under Wine:
// the system's driver reads "}}" in a braced value as one "}", FreeTDS keeps both, so such values
// cannot be checked there.
bool BraceStaysDoubled(const QString& value) {
#ifdef _WIN32
    return value.contains(QChar('}'));
#else
    Q_UNUSED(value);
    return false;
#endif
}

TEST_F(ConnectionValuesTest, EachValueReachesTheServerExactlyOrIsRefusedBeforeConnecting) {
    int n = 0;
    for (const Value& value : Values) {
        SCOPED_TRACE(value.text.toStdString());
        ++n;
        if (BraceStaysDoubled(value.text))
            continue;
        const QString user = QStringLiteral("u%1").arg(n);
        const struct {
            const char* key;
            TFirstConnectInfo info;
        } uses[] = {
            {"User ID", {value.text, "pw", "demo", m_server->dataSource()}},
            {"Password", {user, value.text, "demo", m_server->dataSource()}},
            {"Initial Catalog", {user, "pw", value.text, m_server->dataSource()}},
        };
        addLogin(value.text, "pw");
        addLogin(user, "pw");
        addLogin(user + "p", value.text);
        for (const auto& use : uses) {
            SCOPED_TRACE(use.key);
            TFirstConnectInfo info = use.info;
            if (QString::fromLatin1(use.key) == "Password")
                info.UserName = user + "p";
            const qsizetype before = logins().size();
            Connection connection;
            const QString error = ErrorText([&] { ApplyConnectionString(connection, info); });
            if (value.carried) {
                EXPECT_EQ(error, "(no error)");
                EXPECT_TRUE(connection.isOpen());
                const QList<Login> seen = logins();
                ASSERT_EQ(seen.size(), before + 1);
                EXPECT_EQ(seen.last().user, info.UserName);
                EXPECT_EQ(seen.last().password, info.Password);
                EXPECT_EQ(seen.last().database, info.Database);
            } else {
                EXPECT_EQ(error, Refusal(use.key, value.text));
                EXPECT_FALSE(connection.isOpen());
                EXPECT_EQ(logins().size(), before);
            }
        }
    }
    Connection connection;
    EXPECT_EQ(ErrorText([&] {
                  ApplyConnectionString(
                      connection, {"zor_demo", QString("a") + QChar(0), "demo", m_server->dataSource()});
              }),
              Refusal("Password", QString(QChar(0))));
}

// The per-user account comes from GET_USER's answer, stored shifted: the second login of the attempt
// carries it exactly, or the reconnection is refused before it is attempted.
TEST_F(ConnectionValuesTest, ThePerUserAccountFromGetUserReachesTheServerExactly) {
    testsupport::TempInstallation install;
    install.writeBootstrapFile("zor_boot", "boot", "demo", m_server->dataSource());
    const platform::SystemHostResolver resolver; // the fake view answers for the address
    const QString answer = "SELECT @user AS f0, @password AS f1, '' AS f2, 90 AS f3, '' AS f4, 0 AS f5;";
    for (const Value& value : Values) {
        if (value.text.toLatin1() != value.text.toUtf8())
            continue; // the server stores its logins in the client's code page; these are ASCII
        if (BraceStaysDoubled(value.text))
            continue;
        SCOPED_TRACE(value.text.toStdString());
        const QString user = "p" + value.text;
        addLogin(user, value.text);
        testsupport::ReplaceProcedure(
            m_file, "GET_USER",
            "@Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, @ComputerName, @ClientLogin, "
            "@Mode, "
            "@Length",
            QString(answer)
                .replace("@user",
                         "'" + QString::fromLatin1(ShiftEncode(user.toLatin1())).replace("'", "''") + "'")
                .replace("@password",
                         "'" + QString::fromLatin1(ShiftEncode(value.text.toLatin1())).replace("'", "''") +
                             "'"));
        TDM_MB module;
        testsupport::FakeShell shell;
        const ProgramContext context{install.installation(), shell, module, resolver};
        testsupport::FakeSignInView view;
        view.attempts = 2;
        const qsizetype before = logins().size();
        const bool signedIn = RunSignInAttempt(view, context, "NULL");
        const QList<Login> seen = logins();
        if (value.carried) {
            EXPECT_TRUE(signedIn) << shell.plainMessages.join('|').toStdString();
            ASSERT_EQ(seen.size(), before + 2);
            EXPECT_EQ(seen.last().user, user);
            EXPECT_EQ(seen.last().password, value.text);
        } else {
            EXPECT_FALSE(signedIn);
            EXPECT_EQ(shell.plainMessages, QStringList({Refusal("User ID", user)}));
            EXPECT_EQ(seen.size(), before + 1);
        }
    }
}

} // namespace
