// The whole update with the real program: a copy of it in a temporary folder signs in on a virtual
// X display, the server's GET_USER orders the update, and the program downloads its next build from
// a local HTTP server, ends, and is replaced and started again by its script.
#include "signin/bootstrapfile.h"
#include "support/contractdb.h"
#include "support/runningprogram.h"
#include "support/tempfolder.h"
#include "support/testhttpserver.h"
#include "support/unstartableprogram.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <memory>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TestHttpServer;
using testsupport::WaitFor;
using testsupport::WriteFileBytes;

namespace {

const char* const UpdatePath = "/zorprogs/ZOR%2027";
const QString SignInTitle = QString::fromUtf8("Аутентификация");
const QString GetUserParams = QStringLiteral("@Login, @PasswordHash, @NewPasswordHash, @Program, @IpAddress, "
                                             "@ComputerName, @ClientLogin, @Mode, @Length");

// A copy of the program in a folder of its own, with its bootstrap file and an embedded database
// whose GET_USER orders an update of every workstation.
class ProgramCopy {
public:
    ProgramCopy() {
        fs::create_directories(m_home / "Data");
        fs::copy_file(ZOR_PROGRAM, program());
        const QString data = QString::fromStdString((m_home / "Data").string());
        const QString database = testsupport::BuildContractDb(data, false, "update.db");
        testsupport::ReplaceProcedure(database, "GET_USER", GetUserParams,
                                      "SELECT '' AS f0, '' AS f1, '' AS f2, 90 AS f3, '' AS f4, 2 AS f5;");
        WriteFileBytes(m_home / "Data" / "ZOR",
                       EncodeFirstConnectInfo({"zor_boot", "boot", "update.db", "embedded"}, [] {
                           return '\0';
                       }).toStdString());
    }

    const fs::path& home() const { return m_home; }
    fs::path program() const { return m_home / "ZOR 27"; }

private:
    testsupport::TempFolder m_temp{"zor27-endtoend"};
    fs::path m_home = m_temp.path() / "Program";
};

// Any process that runs the file as its program (compared by the file itself, not by its name).
std::vector<pid_t> processesRunning(const fs::path& program) {
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
        std::error_code error;
        if (fs::equivalent(entry.path() / "exe", program, error))
            found.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
    }
    return found;
}

// An X server of its own (on the first free display), and xdotool to act on its windows.
class Display {
public:
    Display() {
        if (std::string(ZOR_XVFB).empty() || std::string(ZOR_XDOTOOL).empty())
            return;
        m_server.start(ZOR_XVFB, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
        if (m_server.waitForReadyRead(30000))
            m_name = ":" + QString::fromLatin1(m_server.readLine()).trimmed();
    }
    ~Display() {
        m_server.terminate();
        m_server.waitForFinished(10000);
    }
    bool running() const { return m_name.size() > 1; }
    const QString& name() const { return m_name; }

    // Focuses the process's visible window of that title and presses Enter, as a user at the
    // keyboard would; true when the window came up in time and the key went to it.
    bool pressEnterIn(qint64 pid, const QString& title) const {
        const QString window = visibleWindow(pid, title);
        return !window.isEmpty() && xdotool({"windowfocus", "--sync", window}) && xdotool({"key", "Return"});
    }

    // Whether the process shows a window of that title (waiting for it to come up).
    bool showsWindow(qint64 pid, const QString& title) const { return !visibleWindow(pid, title).isEmpty(); }

private:
    QString visibleWindow(qint64 pid, const QString& title) const {
        QString found;
        if (!xdotool({"search", "--sync", "--onlyvisible", "--all", "--pid", QString::number(pid), "--name",
                      "^" + title + "$"},
                     &found))
            return {};
        return found.section('\n', 0, 0);
    }

    // Runs xdotool on this display; true when it succeeded.
    bool xdotool(const QStringList& arguments, QString* output = nullptr) const {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_name);
        tool.setProcessEnvironment(environment);
        tool.start(ZOR_XDOTOOL, arguments);
        if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
            return false;
        if (output != nullptr)
            *output = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
        return true;
    }

    QProcess m_server;
    QString m_name;
};

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(ZOR_XVFB).empty() || std::string(ZOR_XDOTOOL).empty())
            GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup.sh installs them)";
        const char* isolated = std::getenv("ZOR_TEST_ISOLATED");
        if (isolated == nullptr || std::string(isolated) != "1")
            GTEST_SKIP() << "needs the network namespace that the update tests make when run as root: "
                            "the program looks up its own address, which must not reach a DNS server";
        ASSERT_TRUE(m_display.running());
    }

    // Starts the installed program on the display, its updates coming from the given server.
    void startProgram(QProcess& program, const std::string& updateServer) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DISPLAY", m_display.name());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("ZOR27_UPDATE_SERVER", QString::fromStdString(updateServer));
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(QString::fromStdString(fs::temp_directory_path().string()));
        program.start(QString::fromStdString(m_installation.program().string()), QStringList());
        ASSERT_TRUE(program.waitForStarted());
    }

    // An update server that gives the next build: these bytes.
    const TestHttpServer& serve(const std::string& nextBuild) {
        const fs::path file = m_installation.home().parent_path() / "next-build";
        WriteFileBytes(file, nextBuild);
        m_updateServer = std::make_unique<TestHttpServer>(
            std::vector<std::pair<std::string, std::string>>{{UpdatePath, file.string()}});
        EXPECT_EQ(m_updateServer->error(), "");
        return *m_updateServer;
    }

    // The installed program started, signed in (the server orders the update) and ended by its
    // quit timer, two seconds after its script started.
    void signInAndWaitForTheEnd() {
        QProcess oldRun;
        startProgram(oldRun, m_updateServer->hostAndPort());
        ASSERT_TRUE(m_display.pressEnterIn(oldRun.processId(), SignInTitle))
            << "no sign-in dialog of the program came up";
        ASSERT_TRUE(oldRun.waitForFinished(60000)) << "the old program did not end";
        EXPECT_EQ(oldRun.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(oldRun.exitCode(), 0);
    }

    ProgramCopy m_installation;
    Display m_display;
    std::unique_ptr<TestHttpServer> m_updateServer;
};

} // namespace

TEST_F(EndToEndTest, UpdateReplacesTheProgramAndTheNewOneRemovesTheScript) {
    // The next build: the same program with a mark of its own after its last byte, which keeps it
    // runnable and tells it from the running one.
    const std::string oldProgram = ReadFileBytes(m_installation.program());
    const std::string newProgram = oldProgram + "\nzor27 next build\n";
    const TestHttpServer& server = serve(newProgram);
    signInAndWaitForTheEnd();

    // Once its start check has passed, the script removes tempZOR and starts the new program.
    std::vector<pid_t> running;
    ASSERT_TRUE(WaitFor(
        [&] {
            return !fs::exists(m_installation.home() / "tempZOR") &&
                   !(running = processesRunning(m_installation.program())).empty();
        },
        std::chrono::seconds(60)))
        << "the new program is not running";
    EXPECT_EQ(ReadFileBytes(m_installation.program()), newProgram);
    EXPECT_NE(fs::status(m_installation.program()).permissions() & fs::perms::owner_exec, fs::perms::none);
    // The new program's sign-in dialog deletes the script as it is created.
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(m_installation.home() / "ZOR 27.sh"); }))
        << "the script stays behind";
    EXPECT_FALSE(fs::exists(m_installation.home() / "tempZOR"));
    EXPECT_FALSE(fs::exists(m_installation.home() / "ZOR 27.new"));

    const auto requests = server.requestsWith("/zorprogs/");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, UpdatePath);
    EXPECT_EQ(requests[0].agent, "ZOR 27");

    for (pid_t pid : running)
        ::kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return processesRunning(m_installation.program()).empty(); }));
}

// The next build cannot start on this machine (it needs a library the system lacks, as a build
// against another toolkit would): the script finds it out, puts the old program back and starts it.
TEST_F(EndToEndTest, ANextBuildThatCannotStartLeavesTheOldProgramStarted) {
    const std::string oldProgram = ReadFileBytes(m_installation.program());
    const std::string unstartable = testsupport::UnstartableProgram(oldProgram);
    ASSERT_FALSE(unstartable.empty());
    serve(unstartable);
    signInAndWaitForTheEnd();

    std::vector<pid_t> running;
    ASSERT_TRUE(WaitFor([&] { return !(running = processesRunning(m_installation.program())).empty(); },
                        std::chrono::seconds(60)))
        << "no program runs again";
    EXPECT_EQ(ReadFileBytes(m_installation.program()), oldProgram);
    EXPECT_EQ(ReadFileBytes(m_installation.home() / "tempZOR" / "ZOR 27.rejected"), unstartable);
    EXPECT_FALSE(fs::exists(m_installation.home() / "tempZOR" / "ZOR 27"));
    // The old program's sign-in dialog came up again, and removed the script.
    EXPECT_TRUE(m_display.showsWindow(running.front(), SignInTitle));
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(m_installation.home() / "ZOR 27.sh"); }));
    for (pid_t pid : running)
        ::kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return processesRunning(m_installation.program()).empty(); }));
}

TEST_F(EndToEndTest, UnreachableServerEndsTheProgramAfterItsMessage) {
    TestHttpServer server;
    ASSERT_EQ(server.error(), "");
    QProcess run;
    startProgram(run, "127.0.0.1:" + std::to_string(server.closedPort()));
    ASSERT_TRUE(m_display.pressEnterIn(run.processId(), SignInTitle));
    // The message box, closed with its OK button; then the program ends.
    ASSERT_TRUE(m_display.pressEnterIn(run.processId(), QString::fromUtf8("Уведомление")))
        << "no message box came up";
    ASSERT_TRUE(run.waitForFinished(60000)) << "the program did not end";
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);

    EXPECT_EQ(ReadFileBytes(m_installation.program()), ReadFileBytes(ZOR_PROGRAM));
    EXPECT_FALSE(fs::exists(m_installation.home() / "ZOR 27.sh"));
    EXPECT_FALSE(fs::exists(m_installation.home() / "ZOR 27.bat"));
    // Nothing that a later script could take for a program, whole or in part.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_installation.home() / "tempZOR"))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>({"ZOR 27.lock"}));
}
