#include "platform/ansicodepage.h"
#include "platform/computername.h"
#include "platform/executablepath.h"
#include "platform/filecreateerror.h"
#include "platform/filelock.h"
#include "platform/hostresolver.h"
#include "platform/ioerror.h"
#include "platform/shellrun.h"
#include "platform/shellrunerror.h"
#include "platform/socketerror.h"
#include "platform/systemfile.h"
#include "platform/windowsinstaller.h"
#include "support/runningprogram.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "platform/win32/widetext.h"

#include <windows.h>
#else
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using platform::IoError;

namespace {

using testsupport::TempFolder;
using testsupport::WaitFor;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct OpenOutcome {
    int code = 0; // 0 when the file opened
    std::string text;
};

OpenOutcome openOutcome(const std::string& path) {
    try {
        platform::SystemFile::openExistingReadWrite(path);
        return {};
    } catch (const IoError& error) {
        return {error.code(), error.what()};
    }
}

int openCode(const std::string& path) {
    return openOutcome(path).code;
}

fs::path besideTests(const std::string& name) {
#ifdef _WIN32
    return fs::path(platform::ExecutableDir()) / (name + ".exe");
#else
    return fs::path(platform::ExecutableDir()) / name;
#endif
}

} // namespace

TEST(IoErrorTest, TextFollowsFromTheNumber) {
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {103, "I/O error 103"},
        {32, "I/O error 32"},
        {0, "I/O error 0"},
    };
    for (const auto& c : cases) {
        const IoError error(c.code);
        EXPECT_EQ(error.code(), c.code);
        EXPECT_STREQ(error.what(), c.text) << c.code;
    }
}

// A POSIX error takes the Windows number of the same failure; one without a counterpart keeps a
// number that no system error number has (bit 29 set), never one that means something else.
TEST(IoErrorTest, PosixErrorsTakeTheWindowsNumbers) {
    const struct {
        int error;
        bool folderExists;
        int code;
        const char* text;
    } cases[] = {
        {ENOENT, true, 2, "File not found"},      {ENOENT, false, 3, "Invalid filename"},
        {ENOTDIR, true, 3, "Invalid filename"},   {ENAMETOOLONG, true, 3, "Invalid filename"},
        {EMFILE, true, 4, "Too many open files"}, {ENFILE, true, 4, "Too many open files"},
        {EACCES, true, 5, "File access denied"},  {EPERM, true, 5, "File access denied"},
        {EROFS, true, 5, "File access denied"},   {EISDIR, true, 5, "File access denied"},
        {ETXTBSY, true, 5, "File access denied"}, {ENOMEM, true, 8, "I/O error 8"},
        {ENOSPC, true, 112, "I/O error 112"},     {EBUSY, true, 170, "I/O error 170"},
        {EFBIG, true, 223, "I/O error 223"},      {EIO, true, 1117, "I/O error 1117"},
        {ELOOP, true, 1921, "I/O error 1921"},
    };
    for (const auto& c : cases) {
        const int code = IoError::codeForErrno(c.error, c.folderExists);
        EXPECT_EQ(code, c.code) << c.error;
        EXPECT_STREQ(IoError(code).what(), c.text) << c.error;
    }
    for (const int error : {ENXIO, ECHILD, EDOM}) {
        const int code = IoError::codeForErrno(error);
        EXPECT_EQ(code, 536870912 + error);
        EXPECT_EQ(IoError(code).what(), "I/O error " + std::to_string(536870912 + error));
    }
}

// The same cases hold on every system, with the Windows numbers and texts.
TEST(SystemFileTest, OpenErrorsCarryTheSystemNumbers) {
    TempFolder temp;
    const fs::path data = temp.path() / "Data";
    fs::create_directories(data / "Folder");
    writeFile(data / "ZOR", "0123456789");
#ifdef _WIN32
    writeFile(data / "Locked", "x");
    HANDLE locked = ::CreateFileA((data / "Locked").string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    // Windows honours the read-only attribute for everyone but an administrator; Wine run as root
    // ignores it too, which is why the Windows check runs the tests without that privilege.
    writeFile(data / "ReadOnly", "x");
    fs::permissions(data / "ReadOnly", fs::perms::owner_read);
#endif
    const struct {
        const char* name;
        fs::path path;
        int code;
        const char* text;
    } cases[] = {
        {"existing file", data / "ZOR", 0, ""},
        {"file missing in an existing folder", data / "Missing", IoError::FileNotFound, "File not found"},
        {"folder missing", temp.path() / "NoData" / "ZOR", IoError::PathNotFound, "Invalid filename"},
        {"a folder in place of the file", data / "Folder", IoError::AccessDenied, "File access denied"},
        {"empty path", fs::path(), IoError::PathNotFound, "Invalid filename"},
#ifdef _WIN32
        {"file held open without sharing", data / "Locked", 32, "I/O error 32"},
        {"read-only file", data / "ReadOnly", IoError::AccessDenied, "File access denied"},
#endif
    };
    for (const auto& c : cases) {
        const OpenOutcome outcome = openOutcome(c.path.string());
        EXPECT_EQ(outcome.code, c.code) << c.name;
        EXPECT_EQ(outcome.text, c.text) << c.name;
    }
#ifdef _WIN32
    ::CloseHandle(locked);
#endif
}

TEST(SystemFileTest, ReadsWhatIsThereInOneCall) {
    TempFolder temp;
    writeFile(temp.path() / "f", std::string("ab\0c", 4));
    platform::SystemFile file = platform::SystemFile::openExistingReadWrite((temp.path() / "f").string());
    char buffer[10] = {};
    EXPECT_EQ(file.read(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), std::string("ab\0c", 4));
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0u);
    file.close();
    EXPECT_FALSE(file.isOpen());
    try {
        file.read(buffer, 1);
        FAIL() << "read on a closed file";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), IoError::FileNotOpen);
    }
}

#ifndef _WIN32
namespace {

// Runs the check in a child process (it changes process-wide limits or identity) and returns its
// exit status: the IoError number of opening the path, 0 when it opened, 255 when setup failed.
int openCodeInChild(const std::string& path, const std::function<bool()>& setup) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (!setup())
            ::_exit(255);
        ::_exit(openCode(path));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(SystemFileTest, ReadOnlyFileIsAccessDenied) {
    TempFolder temp;
    const fs::path file = temp.path() / "ZOR";
    writeFile(file, "x");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(temp.path(), fs::perms::all);
    // The superuser ignores permission bits, so the open runs as an ordinary user there.
    const bool asRoot = ::geteuid() == 0;
    EXPECT_EQ(openCodeInChild(file.string(),
                              [asRoot] { return !asRoot || (::setgid(65534) == 0 && ::setuid(65534) == 0); }),
              IoError::AccessDenied);
}

// Errors that only POSIX systems give for opening a file, with their numbers as this program knows them.
TEST(SystemFileTest, OtherPosixOpenErrors) {
    TempFolder temp;
    fs::create_symlink(temp.path() / "b", temp.path() / "a");
    fs::create_symlink(temp.path() / "a", temp.path() / "b");
    // A socket's file cannot be opened at all (ENXIO, 6 here), which has no Windows counterpart.
    const fs::path socketFile = temp.path() / "socket";
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = socketFile.string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const struct {
        const char* name;
        fs::path path;
        int code;
        const char* text;
    } cases[] = {
        {"symbolic links in a loop", temp.path() / "a", 1921, "I/O error 1921"},
        {"a socket", socketFile, 536870918, "I/O error 536870918"},
    };
    for (const auto& c : cases) {
        const OpenOutcome outcome = openOutcome(c.path.string());
        EXPECT_EQ(outcome.code, c.code) << c.name;
        EXPECT_EQ(outcome.text, c.text) << c.name;
    }
    ::close(server);
}

TEST(SystemFileTest, TooManyOpenFiles) {
    TempFolder temp;
    const fs::path file = temp.path() / "ZOR";
    writeFile(file, "x");
    EXPECT_EQ(openCodeInChild(file.string(),
                              [] {
                                  const rlimit limit{3, 3}; // only stdin, stdout and stderr
                                  return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
                              }),
              IoError::TooManyOpenFiles);
}
#endif

TEST(FileCreateErrorTest, NamesThePathAndTheSystemText) {
    const platform::FileCreateError error("/tmp/x/ZOR.bat", 2);
    EXPECT_EQ(std::string(error.what()),
              "Cannot create file \"/tmp/x/ZOR.bat\". " + platform::SystemErrorText(2));
    EXPECT_FALSE(platform::SystemErrorText(2).empty());
}

namespace {

// The replacement script's steps, with a mark when it starts and one when it is through.
std::string replacementScript([[maybe_unused]] const testsupport::RunningProgram& program) {
#ifdef _WIN32
    // A running executable cannot be deleted: the loop spins until the program has ended.
    const char* lines[] = {
        "@ECHO OFF",
        "SET ZOR_PROG=ZOR 27",
        "SET ZOR_HOME=%CD%",
        "SET ZOR_TEMP=%ZOR_HOME%\\tempZOR",
        "ECHO started> \"%ZOR_HOME%\\started\"",
        ":do_del",
        "DEL /Q \"%ZOR_HOME%\\%ZOR_PROG%.exe\"",
        "IF EXIST \"%ZOR_HOME%\\%ZOR_PROG%.exe\" GOTO do_del",
        "COPY \"%ZOR_TEMP%\\%ZOR_PROG%.exe\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\"",
        "RD /S /Q \"%ZOR_TEMP%\"",
        "ECHO finished> \"%ZOR_HOME%\\finished\"",
    };
    const char* lineEnd = "\r\n";
#else
    // Removing a running executable succeeds here, so the script watches the process instead.
    const std::string wait =
        "while kill -0 " + std::to_string(program.pid()) + " 2>/dev/null; do sleep 0.02; done";
    const std::string lines[] = {
        "ZOR_PROG='ZOR 27'",
        "ZOR_HOME=$(pwd)",
        "ZOR_TEMP=\"$ZOR_HOME/tempZOR\"",
        "echo started > \"$ZOR_HOME/started\"",
        wait,
        "rm -f \"$ZOR_HOME/$ZOR_PROG\"",
        "cp \"$ZOR_TEMP/$ZOR_PROG\" \"$ZOR_HOME/$ZOR_PROG\"",
        "rm -rf \"$ZOR_TEMP\"",
        "echo finished > \"$ZOR_HOME/finished\"",
    };
    const char* lineEnd = "\n";
#endif
    std::string script;
    for (const auto& line : lines)
        script += std::string(line) + lineEnd;
    return script;
}

} // namespace

TEST(ShellRunTest, ScriptReplacesTheRunningProgramOnlyAfterItEnds) {
    TempFolder temp;
    const fs::path home = temp.path() / "Program";
    const fs::path staging = home / "tempZOR";
    fs::create_directories(staging);
#ifdef _WIN32
    const std::string programName = "ZOR 27.exe";
    const fs::path script = home / "ZOR 27.bat";
#else
    const std::string programName = "ZOR 27";
    const fs::path script = home / "ZOR 27.sh";
#endif
    fs::copy_file(besideTests("platform_dummy"), home / programName);
    const std::string oldProgram = readFile(home / programName);
    ASSERT_FALSE(oldProgram.empty());
    const std::string newProgram = "the downloaded program";
    writeFile(staging / programName, newProgram);

    testsupport::RunningProgram program(home / programName, (temp.path() / "stop").string());
    ASSERT_TRUE(program.started());
    writeFile(script, replacementScript(program));
    // The tests' own working directory is elsewhere: the script must see the program folder.
    ASSERT_NE(fs::current_path(), home);
    platform::ShellRunHidden(script.string(), home.string());

    ASSERT_TRUE(WaitFor([&] { return fs::exists(home / "started"); })) << "the script did not start";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(readFile(home / programName), oldProgram) << "replaced while the program was running";
    EXPECT_TRUE(fs::exists(staging));
    EXPECT_FALSE(fs::exists(home / "finished"));

    writeFile(temp.path() / "stop", "");
    ASSERT_TRUE(program.waitForEnd());
    ASSERT_TRUE(WaitFor([&] { return fs::exists(home / "finished"); })) << "the script did not finish";
    EXPECT_EQ(readFile(home / programName), newProgram);
    EXPECT_FALSE(fs::exists(staging));
}

TEST(ShellRunTest, MissingScriptNamesItAndTheSystemText) {
    TempFolder temp;
    const std::string script = (temp.path() / "ZOR 27.bat").string();
    try {
        platform::ShellRunHidden(script, temp.path().string());
        FAIL() << "no error for a missing script";
    } catch (const platform::ShellRunError& error) {
        EXPECT_EQ(error.code(), 2); // file not found, on Windows and POSIX alike
        EXPECT_EQ(std::string(error.what()),
                  "Cannot run \"" + script + "\". " + platform::SystemErrorText(2));
    }
}

namespace {

class FakeResolver : public platform::HostResolver {
public:
    std::string name = "ws-17";
    std::vector<platform::IPv4Address> addresses;
    int error = 0;

    std::string hostName() const override { return name; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string& asked) const override {
        EXPECT_EQ(asked, name);
        if (error != 0)
            throw platform::SocketError(error);
        return addresses;
    }
};

const char* const UnknownHost = "zor27-no-such-host.invalid";
const char* const HostNotFoundText = "Socket Error # 11001\r\nHost not found.";

std::string resolveUnknownHost() {
    try {
        platform::SystemHostResolver().resolveIPv4(UnknownHost);
        return "resolved";
    } catch (const platform::SocketError& error) {
        return error.what();
    }
}

} // namespace

TEST(LocalAddressTest, FirstListedAddressInDottedDecimal) {
    FakeResolver resolver;
    resolver.addresses = {{10, 0, 20, 7}, {192, 168, 1, 255}};
    EXPECT_EQ(platform::LookUpLocalAddress(resolver), "10.0.20.7");
    resolver.addresses = {{255, 255, 255, 255}};
    EXPECT_EQ(platform::LookUpLocalAddress(resolver), "255.255.255.255");
}

TEST(LocalAddressTest, Failures) {
    FakeResolver resolver;
    resolver.error = platform::SocketError::HostNotFound;
    try {
        platform::LookUpLocalAddress(resolver);
        FAIL() << "no error for a name that does not resolve";
    } catch (const platform::SocketError& error) {
        EXPECT_STREQ(error.what(), HostNotFoundText);
    }
    resolver.error = 0;
    try {
        platform::LookUpLocalAddress(resolver);
        FAIL() << "no error for an empty address list";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "List index out of bounds (0)");
    }
}

TEST(LocalAddressTest, SystemResolverAnswersForLocalhost) {
    // localhost is answered from the hosts file; no query leaves the machine.
    const std::vector<platform::IPv4Address> addresses =
        platform::SystemHostResolver().resolveIPv4("localhost");
    ASSERT_FALSE(addresses.empty());
    EXPECT_EQ(platform::FormatIPv4(addresses.front()), "127.0.0.1");
}

// An unknown name must not reach the machine's DNS resolver: the look-up runs where names come
// from the hosts file alone and there is no network.
TEST(LocalAddressTest, SystemResolverReportsAnUnknownName) {
#ifdef _WIN32
    // The Windows check starts Wine in such a namespace and says so.
    const char* isolated = std::getenv("ZOR_RESOLVER_FILES_ONLY");
    if (isolated == nullptr || std::string(isolated) != "1")
        GTEST_SKIP() << "needs ZOR_RESOLVER_FILES_ONLY=1: a mount and network namespace whose "
                        "nsswitch.conf has \"hosts: files\", as scripts/windows-check.sh makes";
    EXPECT_EQ(resolveUnknownHost(), HostNotFoundText);
#else
    TempFolder temp;
    const fs::path nsswitch = temp.path() / "nsswitch.conf";
    writeFile(nsswitch, "hosts: files\n");
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const bool isolated = ::unshare(CLONE_NEWNS | CLONE_NEWNET) == 0 &&
                              ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                              ::mount(nsswitch.c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND, nullptr) == 0;
        const std::string outcome = isolated ? resolveUnknownHost() : std::string();
        (void)!::write(channel[1], outcome.data(), outcome.size());
        ::_exit(isolated ? 0 : 3);
    }
    ::close(channel[1]);
    std::string outcome;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        outcome.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "needs the right to make mount and network namespaces (root)";
    EXPECT_EQ(outcome, HostNotFoundText);
#endif
}

TEST(SystemIdentityTest, ExecutableDirAndComputerName) {
    const std::string dir = platform::ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), platform::PathSeparator()[0]);
    EXPECT_TRUE(fs::is_directory(dir));
    bool holdsThisTest = false;
    for (const auto& entry : fs::directory_iterator(dir))
        holdsThisTest = holdsThisTest || entry.path().filename().string().rfind("platform_tests", 0) == 0;
    EXPECT_TRUE(holdsThisTest) << dir;

    const std::string name = platform::ComputerName();
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find('\0'), std::string::npos);
}

namespace {

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Runs a program to its end; its exit code, or -1 when it could not be started.
int runToEnd(const fs::path& program, const std::vector<std::string>& arguments) {
#ifdef _WIN32
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::string& argument : arguments)
        commandLine += L" \"" + fs::path(argument).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return -1;
    ::CloseHandle(info.hThread);
    ::WaitForSingleObject(info.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hProcess);
    return static_cast<int>(code);
#else
    const std::string path = program.string();
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

} // namespace

// Paths go in and come out as UTF-8 on every system, whatever the system's 8-bit code page can hold.
TEST(Utf8PathsTest, ExecutableDirOfAProgramInACyrillicFolder) {
    TempFolder temp;
    const fs::path folder = temp.path() / u8"Программа ZOR";
    fs::create_directories(folder);
    const fs::path program = folder / besideTests("platform_dummy").filename();
    fs::copy_file(besideTests("platform_dummy"), program);
    const fs::path answer = temp.path() / "answer.txt";
    ASSERT_EQ(runToEnd(program, {"--executable-dir", answer.string()}), 0);
    const std::string reported = readFile(answer);
    EXPECT_EQ(reported, utf8(folder));
    EXPECT_TRUE(fs::equivalent(fs::path(std::u8string(reported.begin(), reported.end())), folder))
        << reported;
}

TEST(FileLockTest, OneHolderAtATimeEvenWithinOneProcess) {
    TempFolder temp;
    const std::string path = (temp.path() / "ZOR 27.lock").string();
    {
        std::optional<platform::FileLock> first = platform::FileLock::tryAcquire(path);
        ASSERT_TRUE(first.has_value());
        EXPECT_TRUE(fs::exists(path)) << "the lock file is made when missing";
        EXPECT_FALSE(platform::FileLock::tryAcquire(path).has_value()) << "a second holder";
        // Moved, it is still held; released when its last owner goes.
        platform::FileLock moved = std::move(*first);
        first.reset();
        EXPECT_FALSE(platform::FileLock::tryAcquire(path).has_value());
    }
    EXPECT_TRUE(platform::FileLock::tryAcquire(path).has_value()) << "not released";
    EXPECT_EQ(readFile(path), "") << "the lock file is never written";
}

TEST(FileLockTest, MissingFolderIsPathNotFound) {
    TempFolder temp;
    for (const fs::path& path : {temp.path() / "missing" / "ZOR 27.lock", fs::path()}) {
        try {
            platform::FileLock::tryAcquire(path.string());
            ADD_FAILURE() << "no error for " << path;
        } catch (const IoError& error) {
            EXPECT_EQ(error.code(), IoError::PathNotFound) << path;
        }
    }
}

// Another process holds the lock; once that process is killed, the system has let it go.
TEST(FileLockTest, AnotherProcessExcludesUntilItDies) {
    TempFolder temp;
    const fs::path lock = temp.path() / "ZOR 27.lock";
    auto holder = std::make_unique<testsupport::RunningProgram>(
        besideTests("platform_dummy"),
        std::vector<std::string>{"--hold-lock", lock.string(), (temp.path() / "stop").string()});
    ASSERT_TRUE(holder->started());
    ASSERT_TRUE(WaitFor([&] { return fs::exists(lock.string() + ".held"); })) << "the holder did not lock";
    EXPECT_FALSE(platform::FileLock::tryAcquire(lock.string()).has_value());

    holder.reset(); // killed, not ended: it releases nothing itself
    EXPECT_TRUE(WaitFor([&] { return platform::FileLock::tryAcquire(lock.string()).has_value(); }))
        << "the lock outlived its holder";
}

TEST(RenameReplacingTest, ReplacesTheTargetInOneStep) {
    TempFolder temp;
    const fs::path part = temp.path() / "ZOR 27.part";
    const fs::path target = temp.path() / "ZOR 27";
    writeFile(part, "complete");
    writeFile(target, "older");
    platform::RenameReplacing(part.string(), target.string());
    EXPECT_EQ(readFile(target), "complete");
    EXPECT_FALSE(fs::exists(part));

    // A missing source: an error, and the target as it was.
    try {
        platform::RenameReplacing(part.string(), target.string());
        ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), IoError::FileNotFound);
    }
    EXPECT_EQ(readFile(target), "complete");
}

TEST(Utf8PathsTest, FilesInACyrillicFolderOpen) {
    TempFolder temp;
    const fs::path data = temp.path() / u8"Данные";
    fs::create_directories(data);
    writeFile(data / "ZOR", "0123");
    platform::SystemFile file = platform::SystemFile::openExistingReadWrite(utf8(data / "ZOR"));
    char buffer[8] = {};
    EXPECT_EQ(file.read(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    // The folder is found, so a missing file in it is "File not found", not "Invalid filename".
    const OpenOutcome missing = openOutcome(utf8(data / u8"Файл"));
    EXPECT_EQ(missing.code, IoError::FileNotFound);
    EXPECT_EQ(missing.text, "File not found");
}

TEST(Utf8PathsTest, ScriptInACyrillicFolderRunsThere) {
    TempFolder temp;
    const fs::path folder = temp.path() / u8"Программа";
    fs::create_directories(folder);
#ifdef _WIN32
    const fs::path script = folder / u8"Замена.bat";
    writeFile(script, "@ECHO OFF\r\nECHO started> started\r\n");
#else
    const fs::path script = folder / u8"Замена.sh";
    writeFile(script, "echo started > started\n");
#endif
    platform::ShellRunHidden(utf8(script), utf8(folder));
    EXPECT_TRUE(WaitFor([&] { return fs::exists(folder / "started"); })) << "the script did not run";
}

#ifdef _WIN32
// The system's texts come from its wide functions: in a language outside the ANSI code page they
// arrive whole, not as question marks or bytes of another code page.
TEST(SystemErrorTextTest, TextsOutsideTheAnsiCodePageArriveAsUtf8) {
    const std::string text = platform::win32::SystemErrorTextIn(2, MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT));
    if (text == "System error 2")
        GTEST_SKIP() << "the system has no Russian message texts";
    EXPECT_EQ(text.find('?'), std::string::npos) << text;
    const std::wstring wide = platform::win32::WideFromUtf8(text);
    EXPECT_EQ(platform::win32::Utf8FromWide(wide.data(), wide.size()), text) << "not UTF-8";
    bool cyrillic = false;
    for (const wchar_t ch : wide)
        cyrillic = cyrillic || (ch >= 0x0410 && ch <= 0x044F);
    EXPECT_TRUE(cyrillic) << text;
}
#endif

// Windows reports the code page of its 8-bit functions; other systems have none.
TEST(AnsiCodePageTest, TheSystemsOwnWhereItHasOne) {
#ifdef _WIN32
    const std::optional<unsigned> codePage = platform::SystemAnsiCodePage();
    ASSERT_TRUE(codePage.has_value());
    // An 8-bit function answers in that code page: U+00E9 and U+0416 come back as the code page's
    // bytes for them (or its default character where it has none).
    ::SetEnvironmentVariableW(L"ZOR27_CODE_PAGE_PROBE", L"\u00e9\u0416");
    char answer[16] = {};
    const DWORD length = ::GetEnvironmentVariableA("ZOR27_CODE_PAGE_PROBE", answer, sizeof answer);
    char expected[16] = {};
    const int expectedLength =
        ::WideCharToMultiByte(*codePage, 0, L"\u00e9\u0416", 2, expected, sizeof expected, nullptr, nullptr);
    EXPECT_EQ(std::string(answer, length), std::string(expected, static_cast<std::size_t>(expectedLength)));
#else
    EXPECT_FALSE(platform::SystemAnsiCodePage().has_value());
#endif
}

// A copy that no package installed (this test program, under any component identity, a malformed one
// included) is never taken for the installed one; the installed copy itself is checked by installing
// the package (scripts/windows-package-check.py).
TEST(WindowsInstallerTest, ACopyThatNoPackageInstalledIsNotTheInstalledOne) {
    for (const char* component : {"{895DFF20-0043-4FC4-B410-D5B940493326}",
                                  "{00000000-0000-0000-0000-000000000000}", "not a component", ""})
        EXPECT_FALSE(platform::InstalledByWindowsInstaller(component)) << component;
}
