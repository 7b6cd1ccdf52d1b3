// The update step in a temporary installation, downloading from a local HTTP server, with a view
// and a user shell that record what the update does to them.
#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "datamodule/tdm_mb.h"
#include "platform/filecreateerror.h"
#include "platform/filelock.h"
#include "platform/hostresolver.h"
#include "support/runningprogram.h"
#include "support/tempfolder.h"
#include "support/testhttpserver.h"
#include "update/programupdate.h"
#include "update/updatesource.h"
#include "update/updateview.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TestHttpServer;
using testsupport::WriteFileBytes;

namespace {

// Where the server gives the new program: the update's path with its blank encoded.
const std::string UpdatePath = "/zorprogs/ZOR%2027";

// The next build of the program: an executable (the dummy) with a mark after its last byte.
std::string NextBuild() {
    return ReadFileBytes(ZOR_DUMMY_PROGRAM) + "\nthe next build of the program\n";
}

// Both record into one list, so that the order of what happens shows.
class RecordingView : public UpdateView {
public:
    explicit RecordingView(QStringList& events) : m_events(events) {}
    void setVersionText(const QString& text) override {
        versionText = text;
        m_events << "version label: " + text;
    }
    void enableQuitTimer() override {
        quitTimerEnabled = true;
        m_events << "quit timer enabled";
    }
    QString versionText = QStringLiteral("V.1");
    bool quitTimerEnabled = false;

private:
    QStringList& m_events;
};

class RecordingShell : public UserShell {
public:
    RecordingShell(QStringList& events, const RecordingView& view) : m_events(events), m_view(view) {}
    QString title() const override { return QStringLiteral("ZOR 27"); }
    void showPlainMessage(const QString& text) override { m_events << "plain message: " + text; }
    void showException(const std::exception& error) override {
        m_events << "error box: " + QString::fromUtf8(error.what());
    }
    int messageBox(const QString& text, const QString& caption, int flags) override {
        m_events << QStringLiteral("message box: %1 | %2 | %3").arg(text, caption).arg(flags);
        return AnswerOk;
    }
    void processPendingEvents() override {
        m_events << "events processed, the label reading " + m_view.versionText;
        if (duringEvents)
            duringEvents();
    }
    void requestTermination() override {
        m_terminationRequested = true;
        m_events << "termination requested";
    }
    bool terminationRequested() const override { return m_terminationRequested; }

    std::function<void()> duringEvents;

private:
    QStringList& m_events;
    const RecordingView& m_view;
    bool m_terminationRequested = false;
};

QString notice() {
    return QString::fromUtf8("Идёт обновление программы, ПОДОЖДИТЕ...");
}

// The field of /proc/PID/stat after the command name: 0 the state, 1 the parent, 3 the session.
long statField(pid_t pid, int index) {
    const std::string stat = ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string state;
    long value = 0;
    fields >> state;
    for (int i = 1; i <= index; ++i)
        fields >> value;
    return value;
}

// The processes that run the file as a script ("sh <file>"); they are no children of ours. The
// shell's own short-lived children (forked to run sleep) are not counted.
std::vector<pid_t> scriptProcesses(const fs::path& script) {
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
        const std::string commandLine = ReadFileBytes(entry.path() / "cmdline");
        if (commandLine == "sh" + std::string(1, '\0') + script.string() + std::string(1, '\0'))
            found.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
    }
    std::vector<pid_t> scripts;
    for (pid_t pid : found)
        if (std::find(found.begin(), found.end(), static_cast<pid_t>(statField(pid, 1))) == found.end())
            scripts.push_back(pid);
    return scripts;
}

// The names in a folder, sorted.
std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The session a process belongs to.
long sessionOf(pid_t pid) {
    return statField(pid, 3);
}

class ProgramUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(m_newBuild, NextBuild());
        ASSERT_EQ(m_server.error(), "");
        pointUpdatesAt(m_server.hostAndPort());
    }
    void TearDown() override {
        // The started script waits for this process; it is not left behind.
        for (pid_t pid : scriptProcesses(m_home / "ZOR 27.sh"))
            ::kill(pid, SIGKILL);
        qunsetenv(UpdateServerVariable);
    }

    void pointUpdatesAt(const std::string& server) {
        qputenv(UpdateServerVariable, QByteArray::fromStdString(server));
    }
    void run() { RunProgramUpdate(m_view, m_context); }
    fs::path path(const QString& file) const { return fs::path(QFile::encodeName(file).toStdString()); }

    testsupport::TempFolder m_temp{"zor27-update"};
    fs::path m_home = m_temp.path();
    fs::path m_newBuild = m_temp.path() / "next-build";
    TestHttpServer m_server{{{UpdatePath, m_newBuild.string()}}};
    Installation m_installation{QString::fromStdString(m_temp.path().string())};
    QStringList m_events;
    RecordingView m_view{m_events};
    RecordingShell m_shell{m_events, m_view};
    TDM_MB m_data;
    platform::SystemHostResolver m_resolver; // the update asks for no address
    ProgramContext m_context{m_installation, m_shell, m_data, m_resolver};
};

} // namespace

TEST_F(ProgramUpdateTest, UpdateWithoutTheServerTellsTheUserAndEnds) {
    const struct {
        const char* name;
        std::string server;
    } cases[] = {
        {"no server at the address", "127.0.0.1:" + std::to_string(m_server.closedPort())},
        {"no program on the server", m_server.hostAndPort() + "/missing"},
        {"a body cut short", m_server.hostAndPort() + "/short/60000/20000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        RecordingView view(m_events);
        RecordingShell shell(m_events, view);
        const ProgramContext context{m_installation, shell, m_data, m_resolver};
        pointUpdatesAt(c.server);

        RunProgramUpdate(view, context);

        EXPECT_EQ(m_events, QStringList({
                                "version label: " + notice(),
                                "events processed, the label reading " + notice(),
                                QString::fromUtf8("message box: Сервер обновлений не доступен.\rОбратитесь к "
                                                  "администратору. | Уведомление | 64"),
                                "termination requested",
                            }));
        // Nothing that a script could take for a program: no file under the download's name, and
        // no part of one under another.
        EXPECT_TRUE(fs::is_directory(m_home / "tempZOR"));
        EXPECT_EQ(folderNames(m_home / "tempZOR"), std::vector<std::string>({"ZOR 27.lock"}));
        EXPECT_FALSE(fs::exists(m_home / "ZOR 27.sh")) << "no script is written";
        EXPECT_FALSE(fs::exists(m_home / "ZOR 27.bat"));
        // The program is ending: a further order changes nothing.
        EXPECT_TRUE(view.updateUnderway());
        RunProgramUpdate(view, context);
        EXPECT_EQ(m_events.size(), 4);
    }
}

// A web server that answers with a page of its own (a portal, an intranet's "not found" page) with a
// success status and a correct length, or sends a program for another system: nothing is installed.
TEST_F(ProgramUpdateTest, ADownloadThatIsNoProgramForThisMachineIsNotInstalled) {
    std::string page = "<!DOCTYPE html>\n<html><head><title>Портал университета</title></head><body>";
    while (page.size() < 3760)
        page += "<p>Запрошенная страница не найдена. Вернитесь на главную страницу портала.</p>\n";
    page += "</body></html>\n";
    std::string windowsProgram(512, '\0');
    windowsProgram.replace(0, 2, "MZ");
    const struct {
        const char* name;
        std::string body;
    } cases[] = {
        {"a web page", page},
        {"a program for Windows", windowsProgram},
        {"a program's first bytes only", NextBuild().substr(0, 40)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        WriteFileBytes(m_newBuild, c.body);
        RecordingView view(m_events);
        RecordingShell shell(m_events, view);
        const ProgramContext context{m_installation, shell, m_data, m_resolver};

        RunProgramUpdate(view, context);

        EXPECT_EQ(m_events,
                  QStringList({
                      "version label: " + notice(),
                      "events processed, the label reading " + notice(),
                      QString::fromUtf8("message box: Сервер обновлений не доступен: вместо программы "
                                        "получен файл другого вида.\rОбратитесь к администратору. | "
                                        "Уведомление | 64"),
                      "termination requested",
                  }));
        EXPECT_EQ(folderNames(m_home / "tempZOR"), std::vector<std::string>({"ZOR 27.lock"}));
        EXPECT_FALSE(fs::exists(m_home / "ZOR 27.sh")) << "no script is written";
    }
    EXPECT_EQ(m_server.requestsWith("/zorprogs/").size(), std::size(cases));
}

// A batch script of an earlier update leaves its mark behind when it ends: the next update removes
// it and goes on. (One still held open by a working script, on Windows, is the replacement tests'.)
TEST_F(ProgramUpdateTest, AMarkThatAFinishedScriptLeftIsPassedOver) {
    fs::create_directories(m_home / "tempZOR");
    WriteFileBytes(m_home / "tempZOR" / "ZOR 27.run", "");
    run();
    EXPECT_TRUE(m_view.quitTimerEnabled);
    EXPECT_FALSE(fs::exists(m_home / "tempZOR" / "ZOR 27.run"));
}

TEST_F(ProgramUpdateTest, DownloadedProgramGetsItsScriptStartedAndTheQuitTimer) {
    run();

    EXPECT_EQ(m_events, QStringList({
                            "version label: " + notice(),
                            "events processed, the label reading " + notice(),
                            "quit timer enabled",
                        }));
    EXPECT_EQ(ReadFileBytes(m_home / "tempZOR" / "ZOR 27"), NextBuild());
    const auto requests = m_server.requestsWith("/zorprogs/");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, UpdatePath);
    EXPECT_EQ(requests[0].agent, "update_tests");

    // What the script does is for UpdateRunnerTest: it waits for this process.
    const fs::path script = m_home / "ZOR 27.sh";
    EXPECT_TRUE(fs::is_regular_file(script));
    EXPECT_FALSE(fs::exists(m_home / "ZOR 27.bat"));
    // Started and waiting for this process to end: detached, in the program folder, with nothing
    // of ours as its input and output.
    std::vector<pid_t> scripts;
    ASSERT_TRUE(testsupport::WaitFor([&] { return !(scripts = scriptProcesses(script)).empty(); }));
    ASSERT_EQ(scripts.size(), 1u);
    const std::string proc = "/proc/" + std::to_string(scripts[0]);
    EXPECT_TRUE(fs::equivalent(proc + "/cwd", m_home));
    EXPECT_NE(sessionOf(scripts[0]), sessionOf(::getpid()));
    for (const char* fd : {"/fd/0", "/fd/1", "/fd/2"})
        EXPECT_EQ(fs::read_symlink(proc + fd), "/dev/null") << fd;
    EXPECT_TRUE(fs::exists(m_home / "tempZOR" / "ZOR 27")) << "nothing is replaced while the program runs";
}

// The second order comes while the first one lets pending events through (a further press of the
// sign-in button), and again after the first has started its script.
TEST_F(ProgramUpdateTest, SecondUpdateIsRefusedWhileOneIsUnderway) {
    int nested = 0;
    m_shell.duringEvents = [&] {
        ++nested;
        run();
    };
    run();
    m_shell.duringEvents = nullptr;
    run();

    EXPECT_EQ(nested, 1);
    EXPECT_EQ(m_server.requestsWith("/zorprogs/").size(), 1u);
    EXPECT_EQ(m_events.count("quit timer enabled"), 1);
    EXPECT_EQ(m_events.count("version label: " + notice()), 1);
    EXPECT_EQ(scriptProcesses(m_home / "ZOR 27.sh").size(), 1u);
}

// Errors of the files leave the update towards the sign-in's error handling; the notice stays, the
// program goes on, and the next order tries again.
TEST_F(ProgramUpdateTest, FileErrorsLeaveTheUpdateAndAllowAnotherOrder) {
    const fs::path script = m_home / "ZOR 27.sh";
    const struct {
        const char* name;
        std::function<void()> obstruct;
        fs::path obstacle;
        std::string error;
    } cases[] = {
        {"a file in place of the download folder", [&] { WriteFileBytes(m_home / "tempZOR", "x"); },
         m_home / "tempZOR", "Invalid filename"},
        {"a folder in place of the script", [&] { fs::create_directory(script); }, script,
         platform::FileCreateError(script.string(), EISDIR).what()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_events.clear();
        c.obstruct();
        try {
            run();
            ADD_FAILURE() << "no error";
        } catch (const std::exception& error) {
            EXPECT_EQ(std::string(error.what()), c.error);
        }
        EXPECT_EQ(m_view.versionText, notice());
        EXPECT_EQ(m_events.size(), 2) << m_events.join("\n").toStdString();
        EXPECT_FALSE(m_shell.terminationRequested());
        EXPECT_FALSE(m_view.quitTimerEnabled);
        EXPECT_FALSE(m_view.updateUnderway());
        fs::remove_all(c.obstacle);
    }
    run();
    EXPECT_TRUE(m_view.quitTimerEnabled);
}

// Another copy of the program in this folder holds the update lock (here the test itself, which
// a lock excludes as it excludes another process): this copy says so and ends, touching no file.
TEST_F(ProgramUpdateTest, AnUpdateByAnotherCopyEndsThisOneTouchingNothing) {
    fs::create_directory(m_home / "tempZOR");
    WriteFileBytes(m_home / "tempZOR" / "ZOR 27", "another copy's download");
    const auto otherCopy = platform::FileLock::tryAcquire((m_home / "tempZOR" / "ZOR 27.lock").string());
    ASSERT_TRUE(otherCopy.has_value());

    run();

    EXPECT_EQ(m_events, QStringList({
                            "version label: " + notice(),
                            "events processed, the label reading " + notice(),
                            QString::fromUtf8("message box: Обновление программы уже выполняется другой её "
                                              "копией.\rДождитесь его окончания и запустите программу "
                                              "снова. | Уведомление | 64"),
                            "termination requested",
                        }));
    EXPECT_TRUE(m_server.requests().empty());
    EXPECT_EQ(folderNames(m_home / "tempZOR"), std::vector<std::string>({"ZOR 27", "ZOR 27.lock"}));
    EXPECT_EQ(ReadFileBytes(m_home / "tempZOR" / "ZOR 27"), "another copy's download");
    EXPECT_FALSE(fs::exists(m_home / "ZOR 27.sh"));
    EXPECT_FALSE(m_view.quitTimerEnabled);
    // The program is ending: a further order changes nothing.
    run();
    EXPECT_EQ(m_events.size(), 4);
}

TEST_F(ProgramUpdateTest, APackagedCopyLeavesTheUpdateToThePackageManager) {
    const fs::path root = m_temp.path() / "root";
    const Installation::SystemPlaces places{QString::fromStdString((root / "usr/lib/zor27").string()),
                                            QString::fromStdString((root / "etc/zor27").string()),
                                            QString::fromStdString((root / "var/lib/zor27").string())};
    fs::create_directories(root / "usr/lib/zor27");
    const Installation packaged = Installation::Locate(places.programFolder, places);
    ASSERT_TRUE(packaged.isPackaged());
    RecordingView view(m_events);
    RecordingShell shell(m_events, view);
    const ProgramContext context{packaged, shell, m_data, m_resolver};
    pointUpdatesAt(m_server.hostAndPort());

    RunProgramUpdate(view, context);

    EXPECT_EQ(m_events,
              QStringList({
                  QString::fromUtf8("message box: Программа установлена системным пакетом и не может "
                                    "обновить себя сама.\rОбратитесь к администратору: нужно "
                                    "обновить пакет zor27. | Уведомление | 64"),
                  "termination requested",
              }));
    EXPECT_TRUE(fs::is_empty(root / "usr/lib/zor27")) << "nothing is downloaded or written";
    EXPECT_TRUE(m_server.requests().empty());
}

TEST_F(ProgramUpdateTest, LeftoverScriptsAreRemoved) {
    for (const char* name : {"ZOR 27.bat", "ZOR 27.sh", "ZOR 27.txt"})
        WriteFileBytes(m_home / name, "x");
    RemoveLeftoverScripts(m_installation);
    EXPECT_FALSE(fs::exists(m_home / "ZOR 27.bat"));
    EXPECT_FALSE(fs::exists(m_home / "ZOR 27.sh"));
    EXPECT_TRUE(fs::exists(m_home / "ZOR 27.txt"));
    RemoveLeftoverScripts(m_installation); // none there: nothing to complain about
}

TEST(UpdateSourceTest, FixedPathOnTheChosenHost) {
    qunsetenv(UpdateServerVariable);
    EXPECT_EQ(UpdateUrl(), "http://zorupdate/zorprogs/ZOR 27");
    qputenv(UpdateServerVariable, " updates.example.edu:8080 ");
    EXPECT_EQ(UpdateUrl(), "http://updates.example.edu:8080/zorprogs/ZOR 27");
    qunsetenv(UpdateServerVariable);
}

namespace {

// A copy of the program reduced to its update (tests/update/updaterunner.cpp), in a process of its
// own: it updates the installation and then stays until it is stopped, as the program stays until
// its quit timer ends it.
class UpdateRunner {
public:
    UpdateRunner(const fs::path& home, const fs::path& work, const std::string& name)
        : m_events(work / (name + ".events")), m_stop(work / (name + ".stop")),
          m_process(std::make_unique<testsupport::RunningProgram>(
              ZOR_UPDATE_RUNNER, std::vector<std::string>{home.string(), m_events.string(), m_stop.string()},
              true)) {}

    bool started() const { return m_process->started(); }
    // What the update did to the view and the user shell, one line each; "returned" once it ended.
    std::vector<std::string> events() const {
        std::vector<std::string> lines;
        std::istringstream text(ReadFileBytes(m_events));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }
    bool returned() const {
        const auto lines = events();
        return std::find(lines.begin(), lines.end(), "returned") != lines.end();
    }
    // Ends it as its quit timer would.
    bool stop() {
        WriteFileBytes(m_stop, "");
        return m_process->waitForEnd();
    }
    // Ends it at once, as a crash or the task manager would: it cleans up nothing.
    void kill() { m_process.reset(); }

private:
    fs::path m_events;
    fs::path m_stop;
    std::unique_ptr<testsupport::RunningProgram> m_process;
};

const std::string Notice = "version label: Идёт обновление программы, ПОДОЖДИТЕ...";

class UpdateRunnerTest : public ProgramUpdateTest {
protected:
    void SetUp() override {
        ProgramUpdateTest::SetUp();
        // The installed program and its next build: the dummy, and the dummy with a mark after its
        // last byte, which still runs and tells itself from the old one.
        fs::copy_file(ZOR_DUMMY_PROGRAM, m_home / "ZOR 27");
        m_oldProgram = ReadFileBytes(m_home / "ZOR 27");
        ASSERT_FALSE(m_oldProgram.empty());
        m_newProgram = m_oldProgram + "\nthe next build\n";
        WriteFileBytes(m_nextBuild, m_newProgram);
    }

    fs::path m_work = m_temp.path() / "runners";
    fs::path m_nextBuild = m_temp.path() / "next-build-of-the-dummy";
    std::string m_oldProgram;
    std::string m_newProgram;
};

} // namespace

// Two copies started from one folder both get the order while the download is slow: one downloads
// and hands the whole download to its script, the other tells the user and ends touching nothing.
TEST_F(UpdateRunnerTest, TwoCopiesInOneFolderUpdateItOnce) {
    fs::create_directories(m_work);
    TestHttpServer slow({{UpdatePath, m_nextBuild.string()}}, 30, 3.0);
    ASSERT_EQ(slow.error(), "");
    pointUpdatesAt(slow.hostAndPort());

    UpdateRunner first(m_home, m_work, "first");
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(testsupport::WaitFor([&] { return !slow.requestsWith("/zorprogs/").empty(); }))
        << "the first copy did not ask for the download";
    UpdateRunner second(m_home, m_work, "second");
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(testsupport::WaitFor([&] { return second.returned(); }));
    ASSERT_TRUE(testsupport::WaitFor([&] { return first.returned(); }));

    EXPECT_EQ(second.events(), std::vector<std::string>({
                                   Notice,
                                   "events processed",
                                   "message box: Обновление программы уже выполняется другой её "
                                   "копией.|Дождитесь его окончания и запустите программу снова. | "
                                   "Уведомление | 64",
                                   "termination requested",
                                   "returned",
                               }));
    EXPECT_EQ(first.events(),
              std::vector<std::string>({Notice, "events processed", "quit timer enabled", "returned"}));
    EXPECT_EQ(slow.requestsWith("/zorprogs/").size(), 1u) << "downloaded more than once";
    EXPECT_EQ(ReadFileBytes(m_home / "tempZOR" / "ZOR 27"), m_newProgram);
    EXPECT_EQ(folderNames(m_home / "tempZOR"), std::vector<std::string>({"ZOR 27", "ZOR 27.lock"}));
    EXPECT_EQ(ReadFileBytes(m_home / "ZOR 27"), m_oldProgram) << "replaced while the copies run";
    EXPECT_EQ(scriptProcesses(m_home / "ZOR 27.sh").size(), 1u);

    // Once both have ended, the written script puts the download in place and starts it.
    EXPECT_TRUE(second.stop());
    EXPECT_TRUE(first.stop());
    ASSERT_TRUE(testsupport::WaitFor([&] { return fs::exists(m_home / "ZOR 27.ran"); }))
        << "the new program was not started";
    EXPECT_EQ(ReadFileBytes(m_home / "ZOR 27"), m_newProgram);
    EXPECT_NE(fs::status(m_home / "ZOR 27").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_FALSE(fs::exists(m_home / "tempZOR")) << "tempZOR stays behind";
    EXPECT_FALSE(fs::exists(m_home / "ZOR 27.new"));
}

// A copy that dies in the middle of its download keeps no later update from running.
TEST_F(UpdateRunnerTest, ACopyThatDiedHoldsNothingUp) {
    fs::create_directories(m_work);
    TestHttpServer slow({{UpdatePath, m_nextBuild.string()}}, 30, 60.0);
    ASSERT_EQ(slow.error(), "");
    pointUpdatesAt(slow.hostAndPort());
    UpdateRunner dying(m_home, m_work, "dying");
    ASSERT_TRUE(dying.started());
    ASSERT_TRUE(testsupport::WaitFor([&] { return !slow.requestsWith("/zorprogs/").empty(); }));
    dying.kill();

    WriteFileBytes(m_newBuild, m_newProgram);
    pointUpdatesAt(m_server.hostAndPort());
    run();

    EXPECT_EQ(m_events, QStringList({
                            "version label: " + notice(),
                            "events processed, the label reading " + notice(),
                            "quit timer enabled",
                        }));
    EXPECT_EQ(ReadFileBytes(m_home / "tempZOR" / "ZOR 27"), m_newProgram);
}
