// Sign-in attempts through the real dialog against embedded databases whose GET_USER answers as
// each test needs. The bootstrap file and the database lie in Data/ beside this test program, where
// the program looks for them, so these tests run one at a time.
#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "platform/executablepath.h"
#include "platform/hostresolver.h"
#include "platform/socketerror.h"
#include "signin/bootstrapfile.h"
#include "signin/passworddigest.h"
#include "signin/signinexchange.h"
#include "signin/widgets/centredlabel.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"
#include "signin/workstationidentity.h"
#include "support/contractdb.h"
#include "support/tdsstandin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

const QString DatabaseName = QStringLiteral("signin.db");

QString dataFolder() {
    return QString::fromStdString(platform::ExecutableDir()) + "/Data";
}

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

class FixedResolver : public platform::HostResolver {
public:
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string&) const override {
        return {{10, 1, 2, 3}};
    }
};

// Collects the plain message boxes that the attempt shows, pressing OK on each.
class MessageBoxCatcher : public QObject {
public:
    QStringList texts;
    QList<QMessageBox::Icon> icons;

    MessageBoxCatcher() {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            texts << box->text();
            icons << box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};

class SignInExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(dataFolder());
        m_database = dataFolder() + "/" + DatabaseName;
        QFile::remove(m_database);
        m_database = testsupport::BuildContractDb(dataFolder(), true, DatabaseName);
        testsupport::ExecuteSql(
            m_database, "CREATE TABLE CallLog (Login TEXT, PasswordHash TEXT, NewPasswordHash TEXT, "
                        "Program TEXT, IpAddress TEXT, ComputerName TEXT, ClientLogin TEXT, Mode TEXT, "
                        "Length TEXT);\n"
                        "CREATE TABLE Answer (n INTEGER, f0 TEXT, f1 TEXT, f2 TEXT, f3 INT, f4 TEXT, "
                        "f5 INT);");
        testsupport::ReplaceProcedure(m_database, "GET_USER", GetUserParams, RecordingBody);
        prepareServer();
        writeBootstrapFile("zor_boot", "boot");
        m_dataModule = std::make_unique<TDM_MB>();
        DM_MB = m_dataModule.get();
        m_dialog = std::make_unique<TForm8>();
        Form8 = m_dialog.get();
        m_dialog->IPWatch1.setResolver(&m_resolver);
        m_dialog->show();
        m_dialog->Login_Edit->setText("ivanov");
        m_dialog->Password_Edit->setText("secret");
    }

    void TearDown() override {
        Form8 = nullptr;
        m_dialog.reset();
        DM_MB = nullptr;
        m_dataModule.reset();
        QFile::remove(m_database);
        QFile::remove(dataFolder() + "/ZOR");
    }

    virtual void prepareServer() {}

    void writeBootstrapFile(const QString& user, const QString& password) {
        const TFirstConnectInfo info{user, password, DatabaseName, m_server};
        QFile file(dataFolder() + "/ZOR");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            EncodeFirstConnectInfo(info, [] { return char(QRandomGenerator::global()->bounded(256)); }));
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

    // One press of the sign-in button; true when it ended the dialog with 1.
    bool press() {
        bool accepted = false;
        QObject::connect(
            m_dialog.get(), &QDialog::finished, m_dialog.get(),
            [&accepted](int result) { accepted = result == 1; }, Qt::SingleShotConnection);
        // A real click, so that errors reach the application's default handling.
        QTest::mouseClick(m_dialog->SpeedButton2, Qt::LeftButton);
        return accepted;
    }

    // One column of the recorded GET_USER calls, read straight from the file.
    QStringList calls(const QString& column) {
        QStringList values;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "calls");
            db.setDatabaseName(m_database);
            EXPECT_TRUE(db.open());
            QSqlQuery query("SELECT " + column + " FROM CallLog ORDER BY rowid", db);
            while (query.next())
                values << (query.value(0).isNull() ? QStringLiteral("<NULL>") : query.value(0).toString());
        }
        QSqlDatabase::removeDatabase("calls");
        return values;
    }

    QString status() const { return m_dialog->StatusLabel->text(); }
    bool connected() const { return DM_MB->ADOCon->isOpen(); }

    QString m_database;
    QString m_server = QStringLiteral("embedded");
    FixedResolver m_resolver;
    std::unique_ptr<TDM_MB> m_dataModule;
    std::unique_ptr<TForm8> m_dialog;
};

} // namespace

TEST_F(SignInExchangeTest, SuccessLeavesTheConnectionOpenAsTheUserWithTheYearListSorted) {
    answer({userRow()});
    MessageBoxCatcher boxes;
    EXPECT_TRUE(press());
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();
    EXPECT_TRUE(connected());
    EXPECT_TRUE(DM_MB->ADOCon->connectionString().contains("User ID=zor_demo;"));
    Query* years = DM_MB->ADOQ_A_Year;
    ASSERT_TRUE(years->isActive());
    EXPECT_EQ(years->sort(), "Year");
    QStringList order;
    for (years->first(); !years->eof(); years->next())
        order << years->fieldByName("Year")->asString();
    QStringList sorted = order;
    sorted.sort();
    EXPECT_EQ(order, sorted);
    EXPECT_GE(order.size(), 2);
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
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(status(), "Доступ закрыт до 12:00");
    EXPECT_TRUE(connected());
    EXPECT_TRUE(DM_MB->ADOCon->connectionString().contains("User ID=zor_boot;"));
    EXPECT_FALSE(DM_MB->ADOQ_A_Year->isActive());
}

TEST_F(SignInExchangeTest, UpdateOrderWinsOverAMessage) {
    int updates = 0;
    m_dialog->setProgramUpdate([&updates](TForm8&) { ++updates; });
    m_dialog->StatusLabel->setText("before");
    answer({{stored("zor_demo"), stored("Zor27demo"), -1, "Доступ закрыт", 2}});
    EXPECT_FALSE(press());
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(status(), "before");
    EXPECT_TRUE(connected());
    answer({{stored("zor_demo"), stored("Zor27demo"), 90, "", 1}}); // 1 is an ordinary sign-in
    EXPECT_TRUE(press());
    EXPECT_EQ(updates, 1);
}

TEST_F(SignInExchangeTest, ForcedChangeOnEveryPressWithThePanelButtonDisabled) {
    answer({{stored("zor_demo"), stored("Zor27demo"), -1, "", 0}});
    EXPECT_FALSE(press());
    EXPECT_EQ(status(), ChangePasswordMessage());
    EXPECT_TRUE(m_dialog->ChangePasswordMode);
    EXPECT_EQ(m_dialog->height(), 416);
    EXPECT_FALSE(m_dialog->SpeedButton3->isEnabled());
    EXPECT_FALSE(connected());
    // The user cannot toggle the panel any more; the next forced change closes it.
    m_dialog->SpeedButton3->click();
    EXPECT_TRUE(m_dialog->ChangePasswordMode);
    m_dialog->StatusLabel->setText("");
    EXPECT_FALSE(press());
    EXPECT_EQ(status(), ChangePasswordMessage());
    EXPECT_FALSE(m_dialog->ChangePasswordMode);
    EXPECT_EQ(m_dialog->height(), 275);
    // The panel was open for the second press: both empty edits count as equal, the empty new
    // password is sent as its digest.
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>", HashPassword("")}));
    EXPECT_EQ(calls("Length"), QStringList({"4", "34"}));
}

TEST_F(SignInExchangeTest, OfferedChangeOnTheFirstPressOnly) {
    answer({userRow(5)});
    EXPECT_FALSE(press());
    EXPECT_EQ(status(), ChangePasswordMessage());
    EXPECT_TRUE(m_dialog->ChangePasswordMode);
    EXPECT_TRUE(m_dialog->SpeedButton3->isEnabled());
    EXPECT_FALSE(connected());
    m_dialog->Edit1->setText("NewPass_1");
    m_dialog->Edit2->setText("NewPass_1");
    EXPECT_TRUE(press());
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>", HashPassword("NewPass_1")}));
    EXPECT_EQ(calls("Length"), QStringList({"4", "34"}));
}

TEST_F(SignInExchangeTest, AnswersThatGoStraightToTheReconnection) {
    // Field 3 = 20 is no offer; an empty field 0 skips the offer and the empty login is refused.
    answer({userRow(20)});
    EXPECT_TRUE(press());

    TearDown();
    SetUp();
    answer({{"", "", 5, "", 0}});
    MessageBoxCatcher boxes;
    m_dialog->StatusLabel->setText("before");
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"Login failed for user ''."}));
    EXPECT_EQ(boxes.icons, QList<QMessageBox::Icon>({QMessageBox::NoIcon}));
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(connected());
}

TEST_F(SignInExchangeTest, OnlyTheFirstRowCounts) {
    answer({userRow(), {stored("nobody"), stored("x"), -1, "second row", 2}});
    EXPECT_TRUE(press());
}

TEST_F(SignInExchangeTest, NewPasswordNullIsNoNewPasswordButLowerCaseNullIsDigested) {
    answer({{stored("zor_demo"), stored("Zor27demo"), 90, "stop", 0}});
    m_dialog->SpeedButton3->click();
    for (const char* typed : {"NULL", "null"}) {
        m_dialog->Edit1->setText(typed);
        m_dialog->Edit2->setText(typed);
        press();
    }
    EXPECT_EQ(calls("NewPasswordHash"), QStringList({"<NULL>", HashPassword("null")}));
    EXPECT_EQ(calls("Length"), QStringList({"4", "34"}));
}

TEST_F(SignInExchangeTest, ThePressAfter256CountsAsTheFirstAgain) {
    answer({{stored("nouser"), stored("x"), 5, "", 0}});
    m_dialog->AttemptCount = 255;
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press()); // count 0: no offer, the unknown account is refused
    EXPECT_EQ(m_dialog->AttemptCount, 0);
    EXPECT_EQ(boxes.texts, QStringList({"Login failed for user 'nouser'."}));
    EXPECT_FALSE(press()); // count 1: the offer
    EXPECT_EQ(m_dialog->AttemptCount, 1);
    EXPECT_EQ(status(), ChangePasswordMessage());
}

TEST_F(SignInExchangeTest, ServerErrorShowsItsTextAndTheFixedStatus) {
    testsupport::ReplaceProcedure(m_database, "GET_USER", GetUserParams,
                                  testsupport::RaiseStatement(m_database, "Процедура GET_USER недоступна"));
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains("Процедура GET_USER недоступна")) << boxes.texts[0].toStdString();
    EXPECT_EQ(status(), "Неверно ввели логин или пароль.");
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
        MessageBoxCatcher boxes;
        EXPECT_FALSE(press());
        ASSERT_EQ(boxes.texts.size(), 1) << c.body.toStdString();
        EXPECT_TRUE(boxes.texts[0].contains(c.error)) << boxes.texts[0].toStdString();
        EXPECT_EQ(status(), "Неверно ввели логин или пароль.");
        EXPECT_FALSE(connected());
    }
}

TEST_F(SignInExchangeTest, RefusedBootstrapLoginIsShownWithoutTheLoginInTheStatus) {
    writeBootstrapFile("zor_boot", "wrong");
    answer({userRow()});
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"Login failed for user 'zor_boot'."}));
    EXPECT_EQ(status(), "Login failed for user ''.");
    EXPECT_FALSE(connected());
    EXPECT_TRUE(calls("Login").isEmpty());
}

TEST_F(SignInExchangeTest, RefusedUserLoginEmptiesTheStatus) {
    answer({{stored("zor_demo"), stored("wrong"), 90, "", 0}});
    m_dialog->StatusLabel->setText("before");
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"Login failed for user 'zor_demo'."}));
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(connected());
}

TEST_F(SignInExchangeTest, MissingBootstrapFileReachesTheDefaultErrorHandling) {
    QFile::remove(dataFolder() + "/ZOR");
    MessageBoxCatcher boxes;
    m_dialog->StatusLabel->setText("before");
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"File not found."}));
    EXPECT_EQ(boxes.icons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
    EXPECT_EQ(status(), "before");
    EXPECT_EQ(m_dialog->AttemptCount, 1);
}

TEST_F(SignInExchangeTest, AQuoteInTheLoginCannotChangeTheStatement) {
    answer({{"", "", 0, "Неверный логин", 0}});
    m_dialog->Login_Edit->setText("x'; DROP TABLE TypeControl; --");
    EXPECT_FALSE(press());
    EXPECT_EQ(calls("Login"), QStringList({"x'; DROP TABLE TypeControl; --"}));
    EXPECT_EQ(calls("ClientLogin"), QStringList({"x'; DROP TABLE TypeControl; --"}));
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
    db.setDatabaseName(m_database);
    ASSERT_TRUE(db.open());
    EXPECT_TRUE(db.tables().contains("TypeControl"));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("check");
}

namespace {

// The same dialog against the SQL Server driver: the bootstrap file names the stand-in, which
// serves the contract database with its own GET_USER and logs what the client sends.
class SignInThroughSqlServerTest : public SignInExchangeTest {
protected:
    void prepareServer() override {
        m_standIn = std::make_unique<testsupport::TdsStandIn>(m_database, m_logFolder.path());
        m_server = m_standIn->dataSource();
    }
    void TearDown() override {
        SignInExchangeTest::TearDown();
        m_standIn.reset();
    }

    QStringList logins() const {
        QStringList users;
        for (const QJsonObject& record : m_standIn->log())
            if (record.value("kind").toString() == "login")
                users << record.value("user").toString();
        return users;
    }

    QTemporaryDir m_logFolder;
    std::unique_ptr<testsupport::TdsStandIn> m_standIn;
};

} // namespace

TEST_F(SignInThroughSqlServerTest, SuccessSendsTheExactStatementAndSignsInAsTheUser) {
    answer({userRow()});
    MessageBoxCatcher boxes;
    EXPECT_TRUE(press());
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();
    EXPECT_TRUE(connected());
    EXPECT_EQ(logins(), QStringList({"zor_boot", "zor_demo"}));
    const QStringList statements = m_standIn->statements();
    const QString expected = "EXEC GET_USER 'ivanov','" + HashPassword("secret") +
                             "',NULL, 'ZOR 27', '10.1.2.3', '" + ComputerName() + "', 'ivanov','0','4'\r\n";
    // A query's statement is its lines, each followed by CR LF.
    EXPECT_TRUE(statements.contains(expected)) << statements.join("\n").toStdString();
    EXPECT_EQ(statements.indexOf("SET DATEFORMAT dmy\r\n"), statements.size() - 1);
    EXPECT_TRUE(DM_MB->ADOQ_A_Year->isActive());
}

TEST_F(SignInThroughSqlServerTest, ServerMessage) {
    answer({{"", "", 0, "Неверный логин или пароль.", 0}});
    EXPECT_FALSE(press());
    EXPECT_EQ(status(), "Неверный логин или пароль.");
    EXPECT_TRUE(connected());
    EXPECT_EQ(logins(), QStringList({"zor_boot"}));
}

TEST_F(SignInThroughSqlServerTest, RefusedBootstrapLogin) {
    writeBootstrapFile("zor_boot", "wrong");
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"Login failed for user 'zor_boot'."}));
    EXPECT_EQ(status(), "Login failed for user ''.");
    EXPECT_FALSE(connected());
}

TEST_F(SignInThroughSqlServerTest, ServerError) {
    m_standIn->setFaultRules(QJsonArray{QJsonObject{{"match", "GET_USER"},
                                                    {"action", "error"},
                                                    {"number", 50000},
                                                    {"message", "[ZOR] Сервер на обслуживании [до 12:00]"}}});
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"[ZOR] Сервер на обслуживании [до 12:00]"}));
    EXPECT_EQ(status(), "Неверно ввели логин или пароль.");
    EXPECT_FALSE(connected());
}

namespace {

class UnresolvableResolver : public platform::HostResolver {
public:
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string&) const override {
        throw platform::SocketError(platform::SocketError::HostNotFound);
    }
};

} // namespace

TEST_F(SignInExchangeTest, AnAddressThatCannotBeFoundStopsTheAttemptBeforeTheStatement) {
    UnresolvableResolver resolver;
    m_dialog->IPWatch1.setResolver(&resolver);
    answer({userRow()});
    m_dialog->StatusLabel->setText("before");
    MessageBoxCatcher boxes;
    EXPECT_FALSE(press());
    EXPECT_EQ(boxes.texts, QStringList({"Socket Error # 11001\r\nHost not found."}));
    EXPECT_EQ(boxes.icons, QList<QMessageBox::Icon>({QMessageBox::Critical}));
    EXPECT_EQ(status(), "before");
    EXPECT_TRUE(connected()) << "left open as the bootstrap account";
    EXPECT_TRUE(calls("Login").isEmpty());
}
