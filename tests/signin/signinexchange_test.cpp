// Sign-in attempts against contract databases whose GET_USER answers as each test needs, with the
// dialog replaced by a fake view and the desktop by a recording shell, in an installation of their own.
#include "context/programcontext.h"
#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "signin/bootstrapfile.h"
#include "signin/passworddigest.h"
#include "signin/signinexchange.h"
#include "signin/workstationidentity.h"
#include "support/contractdb.h"
#include "support/fakeshell.h"
#include "support/fakesigninview.h"
#include "support/storedvalue.h"
#include "support/tdsstandin.h"
#include "support/tempinstallation.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString DatabaseName = QStringLiteral("signin.db");
const QString ChangeMessage = QString::fromUtf8(
    "Вы должны поменять пароль\rЭто делается для безопастности и сохранения данных от злоумышлеников");
const QString WrongLogin = QString::fromUtf8("Неверно ввели логин или пароль.");

QString stored(const QString& text) {
    return QString::fromLatin1(ShiftEncode(text.toLatin1()));
}

// GET_USER's parameters; the bodies below record every call in CallLog and answer from Answer.
const QString GetUserParams = QStringLiteral("@Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, "
                                             "@ComputerName, @ClientLogin, @Mode, @Length");
const QString RecordingBody = QStringLiteral("INSERT INTO CallLog VALUES (@Login, @PasswordHash, "
                                             "@NewPasswordHash, @Program, @IpAddress, @ComputerName, "
                                             "@ClientLogin, @Mode, @Length);\n"
                                             "SELECT f0, f1, f2, f3, f4, f5 FROM Answer ORDER BY n;");

struct Row {
    QVariant f0, f1, f3, f4, f5;
};

class SignInExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_database = m_install.addDatabase(DatabaseName);
        testsupport::ExecuteSql(
            m_database, "CREATE TABLE CallLog (Login TEXT, PasswordHash TEXT, NewPasswordHash TEXT, "
                        "Program TEXT, IpAddress TEXT, ComputerName TEXT, ClientLogin TEXT, Mode TEXT, "
                        "Length TEXT);\n"
                        "CREATE TABLE Answer (n INTEGER, f0 TEXT, f1 TEXT, f2 TEXT, f3 INT, f4 TEXT, "
                        "f5 INT);");
        testsupport::ReplaceProcedure(m_database, "GET_USER", GetUserParams, RecordingBody);
        prepareServer();
        writeBootstrapFile("zor_boot", "boot");
        m_data.ADOCon->setDatabaseFolder(m_install.dataFolder());
    }

    virtual void prepareServer() {}

    void writeBootstrapFile(const QString& user, const QString& password) {
        m_install.writeBootstrapFile(user, password, DatabaseName, m_server);
    }

    void answer(const QList<Row>& rows) {
        testsupport::ExecuteSql(m_database, "DELETE FROM Answer");
        int n = 0;
        for (const Row& row : rows)
            testsupport::ExecuteSql(
                m_database, "INSERT INTO Answer VALUES (@n, @f0, @f1, 'Иванов И. И.', @f3, @f4, @f5)",
                {{"n", ++n}, {"f0", row.f0}, {"f1", row.f1}, {"f3", row.f3}, {"f4", row.f4}, {"f5", row.f5}});
    }

    // The demo user's database account, as GET_USER hands it over.
    static Row userRow(int passwordAge = 90) {
        return {stored("zor_demo"), stored("Zor27demo"), passwordAge, "", 0};
    }

    // One press of the sign-in button as the dialog handles it: counted, then the exchange; what
    // escapes goes to the default error handling. True when the dialog would close with 1.
    bool press() {
        ++m_view.attempts;
        try {
            return PressSignIn(m_view, m_context);
        } catch (const std::exception& error) {
            m_shell.showException(error);
            return false;
        }
    }

    // One column of the recorded GET_USER calls, read straight from the file.
    QStringList calls(const QString& column) {
        QStringList values;
        for (const QVariant& value :
             testsupport::StoredColumn(m_database, "SELECT " + column + " FROM CallLog ORDER BY rowid"))
            values << (value.isNull() ? QStringLiteral("<NULL>") : value.toString());
        return values;
    }

    bool connected() const { return m_data.ADOCon->isOpen(); }
    QString connectedAs() const {
        const QString text = m_data.ADOCon->connectionString();
        const int from = text.indexOf("User ID=") + 8;
        return text.mid(from, text.indexOf(';', from) - from);
    }

    testsupport::TempInstallation m_install;
    testsupport::FakeShell m_shell;
    testsupport::FakeSignInView m_view;
    platform::SystemHostResolver m_resolver; // the fake view answers for the address
    TDM_MB m_data;
    ProgramContext m_context{m_install.installation(), m_shell, m_data, m_resolver};
    QString m_database;
    QString m_server = QStringLiteral("embedded");
};

} // namespace

TEST_F(SignInExchangeTest, SuccessLeavesTheConnectionOpenAsTheUserWithTheYearListSorted) {
    // Years whose keys run against their names, so the list comes from the server out of order.
    testsupport::ExecuteSql(m_database, "UPDATE AcademicYear SET YearName = 'x' || YearName;\n"
                                        "UPDATE AcademicYear SET YearName = CASE id_a_year WHEN 1 THEN "
                                        "'2026/2027' WHEN 2 THEN '2023/2024' WHEN 3 THEN '2025/2026' "
                                        "ELSE '2024/2025' END;");
    answer({userRow()});
    EXPECT_TRUE(press());
    EXPECT_TRUE(m_shell.plainMessages.isEmpty()) << m_shell.plainMessages.join('|').toStdString();
    EXPECT_TRUE(connected());
    EXPECT_EQ(connectedAs(), "zor_demo");
    Query* years = m_data.ADOQ_A_Year;
    ASSERT_TRUE(years->isActive());
    EXPECT_EQ(years->sort(), "Year");
    QStringList order;
    for (years->first(); !years->eof(); years->next())
        order << years->fieldByName("Year")->asString();
    EXPECT_EQ(order, QStringList({"2023/2024", "2024/2025", "2025/2026", "2026/2027"}));
    EXPECT_EQ(calls("Login"), QStringList({"ivanov"}));
    EXPECT_EQ(calls("PasswordHash"), QStringList({HashPassword("secret")}));
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>"}));
    EXPECT_EQ(calls("Program"), QStringList({"ZOR 27"}));
    EXPECT_EQ(calls("IpAddress"), QStringList({"10.1.2.3"}));
    EXPECT_EQ(calls("Length"), QStringList({"4"}));
    EXPECT_EQ(calls("Mode"), QStringList({"0"}));
}

TEST_F(SignInExchangeTest, ServerMessageKeepsTheBootstrapConnection) {
    answer({{stored("zor_demo"), stored("Zor27demo"), 90, "Доступ закрыт до 12:00", 1}});
    EXPECT_FALSE(press());
    EXPECT_TRUE(m_shell.plainMessages.isEmpty());
    EXPECT_EQ(m_view.status, "Доступ закрыт до 12:00");
    EXPECT_TRUE(connected());
    EXPECT_EQ(connectedAs(), "zor_boot");
    EXPECT_FALSE(m_data.ADOQ_A_Year->isActive());
}

TEST_F(SignInExchangeTest, UpdateOrderWinsOverAMessage) {
    m_view.status = "before";
    answer({{stored("zor_demo"), stored("Zor27demo"), -1, "Доступ закрыт", 2}});
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.updateOrders, 1);
    EXPECT_EQ(m_view.status, "before");
    EXPECT_TRUE(connected());
    answer({{stored("zor_demo"), stored("Zor27demo"), 90, "", 1}}); // 1 is an ordinary sign-in
    EXPECT_TRUE(press());
    EXPECT_EQ(m_view.updateOrders, 1);
}

TEST_F(SignInExchangeTest, ForcedChangeOnEveryPressWithThePanelButtonDisabled) {
    answer({{stored("zor_demo"), stored("Zor27demo"), -1, "", 0}});
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.status, ChangeMessage);
    EXPECT_TRUE(m_view.panelOpen);
    EXPECT_FALSE(m_view.panelButtonEnabled);
    EXPECT_FALSE(connected());
    // The next forced change toggles the panel closed again, as a click on the button would.
    m_view.status.clear();
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.status, ChangeMessage);
    EXPECT_FALSE(m_view.panelOpen);
    // The panel was open for the second press: both empty edits count as equal, the empty new
    // password is sent as its digest.
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>", HashPassword("")}));
    EXPECT_EQ(calls("Length"), QStringList({"4", "34"}));
}

TEST_F(SignInExchangeTest, OfferedChangeOnTheFirstPressOnly) {
    answer({userRow(5)});
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.status, ChangeMessage);
    EXPECT_TRUE(m_view.panelOpen);
    EXPECT_TRUE(m_view.panelButtonEnabled);
    EXPECT_FALSE(connected());
    m_view.newPassword = m_view.confirmation = "NewPass_1";
    EXPECT_TRUE(press());
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>", HashPassword("NewPass_1")}));
    EXPECT_EQ(calls("Length"), QStringList({"4", "34"}));
}

TEST_F(SignInExchangeTest, OfferedChangeWithThePanelAlreadyOpenTogglesItClosed) {
    answer({userRow(5)});
    m_view.panelOpen = true;
    m_view.newPassword = m_view.confirmation = "Typed_2";
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.status, ChangeMessage);
    EXPECT_FALSE(m_view.panelOpen);
    EXPECT_TRUE(m_view.panelButtonEnabled);
    EXPECT_FALSE(connected());
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({HashPassword("Typed_2")}));
}

TEST_F(SignInExchangeTest, MismatchEmptiesBothEditsAndSendsNothing) {
    answer({userRow()});
    m_view.panelOpen = true;
    m_view.newPassword = "abc";
    m_view.confirmation = "abd";
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.status,
              QString::fromUtf8("Новый пароль подтвержден не верно!!!\rПодтвердите пароль заново."));
    EXPECT_EQ(m_view.newPassword, "");
    EXPECT_EQ(m_view.confirmation, "");
    EXPECT_TRUE(calls("Login").isEmpty());
    EXPECT_FALSE(connected());
}

TEST_F(SignInExchangeTest, AnswersThatGoStraightToTheReconnection) {
    // Field 3 = 20 is no offer.
    answer({userRow(20)});
    EXPECT_TRUE(press());
}

TEST_F(SignInExchangeTest, AnEmptyLoginSkipsTheOfferAndIsRefused) {
    answer({{"", "", 5, "", 0}});
    m_view.status = "before";
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.plainMessages, QStringList({"Login failed for user ''."}));
    EXPECT_EQ(m_view.status, "");
    EXPECT_FALSE(connected());
}

TEST_F(SignInExchangeTest, OnlyTheFirstRowCounts) {
    answer({userRow(), {stored("nobody"), stored("x"), -1, "second row", 2}});
    EXPECT_TRUE(press());
}

TEST_F(SignInExchangeTest, NewPasswordNullIsNoNewPasswordButLowerCaseNullIsDigested) {
    answer({{stored("zor_demo"), stored("Zor27demo"), 90, "stop", 0}});
    m_view.panelOpen = true;
    for (const char* typed : {"NULL", "null"}) {
        m_view.newPassword = m_view.confirmation = typed;
        press();
    }
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>", HashPassword("null")}));
    EXPECT_EQ(calls("Length"), QStringList({"4", "34"}));
}

TEST_F(SignInExchangeTest, ThePressAfter256CountsAsTheFirstAgain) {
    answer({{stored("nouser"), stored("x"), 5, "", 0}});
    m_view.attempts = 255;
    EXPECT_FALSE(press()); // count 0: no offer, the unknown account is refused
    EXPECT_EQ(m_view.attempts, 0);
    EXPECT_EQ(m_shell.plainMessages, QStringList({"Login failed for user 'nouser'."}));
    EXPECT_FALSE(press()); // count 1: the offer
    EXPECT_EQ(m_view.status, ChangeMessage);
}

TEST_F(SignInExchangeTest, ServerErrorShowsItsTextAndTheFixedStatus) {
    testsupport::ReplaceProcedure(m_database, "GET_USER", GetUserParams,
                                  testsupport::RaiseStatement(m_database, "Процедура GET_USER недоступна"));
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.plainMessages, QStringList({"Процедура GET_USER недоступна"}));
    EXPECT_EQ(m_view.status, WrongLogin);
    EXPECT_FALSE(connected());
}

TEST_F(SignInExchangeTest, RowsTooShortOrNotNumbersAreErrorsOfTheAttempt) {
    const struct {
        QString body;
        QString error;
    } cases[] = {
        {"SELECT 'a', 'b', 'c', 1, '';", "List index out of bounds (5)"},
        {"SELECT 'a', 'b', 'c', 'many', '', 0;", "'many' is not a valid integer value"},
        {"UPDATE Answer SET n = n;", "CommandText does not return a result set"},
    };
    for (const auto& c : cases) {
        testsupport::ReplaceProcedure(m_database, "GET_USER", GetUserParams, c.body);
        m_shell.plainMessages.clear();
        EXPECT_FALSE(press());
        EXPECT_EQ(m_shell.plainMessages, QStringList({c.error})) << c.body.toStdString();
        EXPECT_EQ(m_view.status, WrongLogin);
        EXPECT_FALSE(connected());
    }
}

TEST_F(SignInExchangeTest, RefusedBootstrapLoginIsShownWithoutTheLoginInTheStatus) {
    writeBootstrapFile("zor_boot", "wrong");
    answer({userRow()});
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.plainMessages, QStringList({"Login failed for user 'zor_boot'."}));
    EXPECT_EQ(m_view.status, "Login failed for user ''.");
    EXPECT_FALSE(connected());
    EXPECT_TRUE(calls("Login").isEmpty());
}

TEST_F(SignInExchangeTest, RefusedUserLoginEmptiesTheStatus) {
    answer({{stored("zor_demo"), stored("wrong"), 90, "", 0}});
    m_view.status = "before";
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.plainMessages, QStringList({"Login failed for user 'zor_demo'."}));
    EXPECT_EQ(m_view.status, "");
    EXPECT_FALSE(connected());
}

TEST_F(SignInExchangeTest, MissingBootstrapFileReachesTheDefaultErrorHandling) {
    QFile::remove(m_install.installation().bootstrapFile());
    m_view.status = "before";
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.errors, QStringList({"File not found"}));
    EXPECT_TRUE(m_shell.plainMessages.isEmpty());
    EXPECT_EQ(m_view.status, "before");
}

TEST_F(SignInExchangeTest, AnAddressThatCannotBeFoundStopsTheAttemptBeforeTheStatement) {
    m_view.addressError = "Socket Error # 11001\r\nHost not found.";
    answer({userRow()});
    m_view.status = "before";
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.errors, QStringList({"Socket Error # 11001\r\nHost not found."}));
    EXPECT_EQ(m_view.status, "before");
    EXPECT_TRUE(connected()) << "left open as the bootstrap account";
    EXPECT_TRUE(calls("Login").isEmpty());
}

TEST_F(SignInExchangeTest, AQuoteInTheLoginCannotChangeTheStatement) {
    answer({{"", "", 0, "Неверный логин", 0}});
    m_view.login = "x'; DROP TABLE TypeControl; --";
    EXPECT_FALSE(press());
    EXPECT_EQ(calls("Login"), QStringList({"x'; DROP TABLE TypeControl; --"}));
    EXPECT_EQ(calls("ClientLogin"), QStringList({"x'; DROP TABLE TypeControl; --"}));
    EXPECT_EQ(m_view.status, "Неверный логин");
}

namespace {

// The same exchange against the SQL Server driver: the bootstrap file names the stand-in, which
// serves the contract database with its own GET_USER and logs what the client sends.
class SignInThroughSqlServerTest : public SignInExchangeTest {
protected:
    void prepareServer() override {
        m_standIn = std::make_unique<testsupport::TdsStandIn>(m_database, m_logFolder.path());
        m_server = m_standIn->dataSource();
    }

    QStringList logins() const {
        QStringList users;
        for (const QJsonObject& record : m_standIn->log())
            if (record.value("kind").toString() == "login")
                users << record.value("user").toString();
        return users;
    }

    void failStatements(const QString& match, const QString& message) {
        m_standIn->setFaultRules(QJsonArray{
            QJsonObject{{"match", match}, {"action", "error"}, {"number", 50000}, {"message", message}}});
    }

    QTemporaryDir m_logFolder;
    std::unique_ptr<testsupport::TdsStandIn> m_standIn;
};

} // namespace

TEST_F(SignInThroughSqlServerTest, SuccessSendsTheExactStatementAndSignsInAsTheUser) {
    answer({userRow()});
    EXPECT_TRUE(press());
    EXPECT_TRUE(m_shell.plainMessages.isEmpty()) << m_shell.plainMessages.join('|').toStdString();
    EXPECT_TRUE(connected());
    EXPECT_EQ(logins(), QStringList({"zor_boot", "zor_demo"}));
    const QStringList statements = m_standIn->statements();
    const QString expected = "EXEC GET_USER 'ivanov','" + HashPassword("secret") +
                             "',NULL, 'ZOR 27', '10.1.2.3', '" + ComputerName() + "', 'ivanov','0','4'\r\n";
    // A query's statement is its lines, each followed by CR LF.
    EXPECT_TRUE(statements.contains(expected)) << statements.join("\n").toStdString();
    EXPECT_EQ(statements.indexOf("SET DATEFORMAT dmy\r\n"), statements.size() - 1);
    EXPECT_TRUE(m_data.ADOQ_A_Year->isActive());
}

TEST_F(SignInThroughSqlServerTest, ServerMessage) {
    answer({{"", "", 0, "Неверный логин или пароль.", 0}});
    EXPECT_FALSE(press());
    EXPECT_EQ(m_view.status, "Неверный логин или пароль.");
    EXPECT_TRUE(connected());
    EXPECT_EQ(logins(), QStringList({"zor_boot"}));
}

TEST_F(SignInThroughSqlServerTest, RefusedBootstrapLogin) {
    writeBootstrapFile("zor_boot", "wrong");
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.plainMessages, QStringList({"Login failed for user 'zor_boot'."}));
    EXPECT_EQ(m_view.status, "Login failed for user ''.");
    EXPECT_FALSE(connected());
}

TEST_F(SignInThroughSqlServerTest, ServerError) {
    failStatements("GET_USER", "[ZOR] Сервер на обслуживании [до 12:00]");
    EXPECT_FALSE(press());
    EXPECT_EQ(m_shell.plainMessages, QStringList({"[ZOR] Сервер на обслуживании [до 12:00]"}));
    EXPECT_EQ(m_view.status, WrongLogin);
    EXPECT_FALSE(connected());
}

TEST_F(SignInThroughSqlServerTest, AYearListThatFailsAfterTheReconnectionClosesTheConnection) {
    answer({userRow()});
    failStatements("InfoForRating", "Нет доступа к InfoForRating");
    m_view.status = "before";
    EXPECT_FALSE(press());
    ASSERT_EQ(m_shell.plainMessages.size(), 1);
    EXPECT_TRUE(m_shell.plainMessages[0].contains("Нет доступа к InfoForRating"))
        << m_shell.plainMessages[0].toStdString();
    EXPECT_EQ(m_view.status, "") << "the server's (empty) message replaces the status";
    EXPECT_FALSE(connected());
    EXPECT_EQ(logins(), QStringList({"zor_boot", "zor_demo"}));
}

TEST_F(SignInThroughSqlServerTest, ADateFormatThatFailsReachesTheDefaultErrorHandlingSignedIn) {
    answer({userRow()});
    failStatements("DATEFORMAT", "SET refused");
    EXPECT_FALSE(press());
    ASSERT_EQ(m_shell.errors.size(), 1);
    EXPECT_TRUE(m_shell.errors[0].contains("SET refused")) << m_shell.errors[0].toStdString();
    EXPECT_TRUE(m_shell.plainMessages.isEmpty());
    EXPECT_TRUE(connected()) << "the user stays signed in; the dialog stays open";
    EXPECT_EQ(logins(), QStringList({"zor_boot", "zor_demo"}));
}
