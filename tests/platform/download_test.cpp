// The download against a real HTTP server on 127.0.0.1 (tests/support/http_server.py). The same
// table runs natively (libcurl) and, in the Windows check, under Wine (the Windows Internet
// functions) against a server on the Linux side.
#include "platform/download.h"
#include "platform/executablepath.h"
#include "platform/ioerror.h"
#include "support/tempfolder.h"
#include "support/testhttpserver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>

#include <psapi.h>
#else
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using platform::IoError;
using testsupport::PatternBytes;
using testsupport::ReadFileBytes;
using testsupport::TestHttpServer;
using testsupport::UniqueTag;
using testsupport::WriteFileBytes;

namespace {

constexpr std::size_t Megabyte = 1024 * 1024;
// Several megabytes: far more than a download that held its body in memory could hide.
constexpr std::size_t LargeBody = 16 * Megabyte;
// What the peak memory of the process may grow by during one download. On Windows a transfer runs
// on a thread of its own, and the stack of the one before (2 MB reserved, as the image asks) may not
// be given back yet when the next one starts.
#ifdef _WIN32
constexpr std::size_t FlatMemory = 3 * Megabyte;
#else
constexpr std::size_t FlatMemory = 1 * Megabyte;
#endif

// The most memory the process has held so far.
std::size_t peakMemory() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
#else
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
#endif
}

// Open descriptors of the process (-1 where the system does not tell).
int openDescriptors() {
#ifdef _WIN32
    return -1;
#else
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
#endif
}

std::string describe(const std::string& bytes) {
    return std::to_string(bytes.size()) + " bytes" +
           (bytes.size() <= 64 ? " \"" + bytes + "\"" : std::string());
}

const char* const Unresolvable = "zor27-no-such-host.invalid";

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_server.error(), "");
        // Loads whatever a first transfer loads once per process, so that memory and descriptors
        // are compared from a steady state.
        ASSERT_TRUE(platform::DownloadToFile(m_server.url("/body/10?warm-up"), target().string()));
    }

    fs::path target() const { return m_temp.path() / "ZOR 27.exe"; }

    TestHttpServer m_server;
    testsupport::TempFolder m_temp{"zor27-download"};
};

} // namespace

TEST_F(DownloadTest, BodiesStatusesAndBrokenTransfers) {
    const std::string closedPort = "http://127.0.0.1:" + std::to_string(m_server.closedPort());
    const struct {
        const char* name;
        std::string url;
        bool result;
        std::string file;
    } cases[] = {
        {"empty body", m_server.url("/body/0"), false, ""},
        {"one block", m_server.url("/body/1024"), true, PatternBytes(1024)},
        {"one block and one byte", m_server.url("/body/1025"), true, PatternBytes(1025)},
        {"several megabytes", m_server.url("/body/" + std::to_string(LargeBody)), true,
         PatternBytes(LargeBody)},
        {"a blank in the path", m_server.url("/body/3000/ZOR 27.exe"), true, PatternBytes(3000)},
        {"not found, with a body", m_server.url("/status/404"), false, ""},
        {"server error, with a body", m_server.url("/status/500"), false, ""},
        {"body cut short of its length", m_server.url("/short/5000/1500"), false, ""},
        {"transfer broken after the first block", m_server.url("/short/100000/1024"), false, ""},
        {"closed port", closedPort + "/body/10", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tag = UniqueTag();
        const std::string url = c.url + "?case=" + tag;
        WriteFileBytes(target(), "an older download");
        const std::size_t memoryBefore = peakMemory();
        const int descriptorsBefore = openDescriptors();

        EXPECT_EQ(platform::DownloadToFile(url, target().string()), c.result);
        const std::size_t memoryAfter = peakMemory();

        EXPECT_TRUE(fs::exists(target()));
        const std::string stored = ReadFileBytes(target());
        EXPECT_TRUE(stored == c.file) << "file holds " << describe(stored);
        EXPECT_LT(memoryAfter - memoryBefore, FlatMemory);
        EXPECT_EQ(openDescriptors(), descriptorsBefore);
        const auto requests = m_server.requestsWith(tag);
        if (c.url.rfind(closedPort, 0) == 0) {
            EXPECT_TRUE(requests.empty());
            continue;
        }
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].agent, platform::ExecutableName());
        if (c.url.find(' ') != std::string::npos)
            EXPECT_NE(requests[0].path.find("/ZOR%2027.exe?"), std::string::npos) << requests[0].path;
    }
}

TEST_F(DownloadTest, MissingTargetFolderFailsBeforeAnyRequest) {
    const std::string tag = UniqueTag();
    const fs::path file = m_temp.path() / "tempZOR" / "ZOR 27.exe";
    try {
        platform::DownloadToFile(m_server.url("/body/10?case=" + tag), file.string());
        FAIL() << "no error for a missing folder";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), IoError::PathNotFound);
        EXPECT_STREQ(error.what(), "Invalid filename");
    }
    EXPECT_TRUE(m_server.requestsWith(tag).empty());
    EXPECT_FALSE(fs::exists(file.parent_path()));
}

// A server that accepts and never answers, or stops in the middle of the body, does not hold the
// program for longer than the time-outs: the download has given up while the server still holds
// the connection (for 30 s), whatever the system's own time-out options do.
TEST_F(DownloadTest, SilentServerEndsAtTheTimeout) {
    const platform::DownloadTimeouts shortWait{2000, 1000};
    for (const std::string path : {"/silent?", "/stall/5000/1500?"}) {
        SCOPED_TRACE(path);
        const std::string tagged = path + UniqueTag();
        WriteFileBytes(target(), "an older download");
        EXPECT_FALSE(platform::DownloadToFile(m_server.url(tagged), target().string(), shortWait));
        EXPECT_EQ(m_server.requestsWith(tagged).size(), 1u);
        EXPECT_TRUE(m_server.requestsWith("HELD " + tagged).empty()) << "waited until the server let go";
        EXPECT_EQ(ReadFileBytes(target()), "");
    }
}

// The look-up of the unknown name must not reach the machine's DNS resolver: it runs where names
// come from the hosts file alone and there is no network.
TEST_F(DownloadTest, UnresolvableHost) {
    const std::string url = std::string("http://") + Unresolvable + "/zorprogs/ZOR 27.exe";
    WriteFileBytes(target(), "an older download");
#ifdef _WIN32
    const char* isolated = std::getenv("ZOR_RESOLVER_FILES_ONLY");
    if (isolated == nullptr || std::string(isolated) != "1")
        GTEST_SKIP() << "needs ZOR_RESOLVER_FILES_ONLY=1: a mount and network namespace whose "
                        "nsswitch.conf has \"hosts: files\", as scripts/windows-check.sh makes";
    EXPECT_FALSE(platform::DownloadToFile(url, target().string()));
#else
    const fs::path nsswitch = m_temp.path() / "nsswitch.conf";
    WriteFileBytes(nsswitch, "hosts: files\n");
    const std::string file = target().string();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool isolated = ::unshare(CLONE_NEWNS | CLONE_NEWNET) == 0 &&
                              ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                              ::mount(nsswitch.c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND, nullptr) == 0;
        if (!isolated)
            ::_exit(3);
        ::_exit(platform::DownloadToFile(url, file) ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "needs the right to make mount and network namespaces (root)";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "downloaded from " << url;
#endif
    EXPECT_TRUE(fs::exists(target()));
    EXPECT_EQ(ReadFileBytes(target()), "");
}

#ifndef _WIN32
namespace {

// The download in a child process with a limit on the size of the files it writes, so that a write
// is cut short as on a full disk; returns the error text, or the outcome when nothing was raised.
std::string downloadWithFileSizeLimit(const std::string& url, const std::string& file, rlim_t limit) {
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit size{limit, limit};
        std::string outcome;
        if (::setrlimit(RLIMIT_FSIZE, &size) != 0) {
            outcome = "setrlimit failed";
        } else {
            try {
                outcome = platform::DownloadToFile(url, file) ? "true" : "false";
            } catch (const IoError& error) {
                outcome = std::to_string(error.code()) + " " + error.what();
            }
        }
        (void)!::write(channel[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string outcome;
    char buffer[256];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        outcome.append(buffer, static_cast<std::size_t>(got));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    return outcome;
}

} // namespace

TEST_F(DownloadTest, ShortWriteRaisesDiskFull) {
    // The second block meets the limit at 1500 bytes, and only part of it is written.
    EXPECT_EQ(downloadWithFileSizeLimit(m_server.url("/body/3000"), target().string(), 1500),
              "101 Disk full");
    EXPECT_EQ(ReadFileBytes(target()), PatternBytes(1500)) << "keeps what was written before";
}
#endif

// A write that fails outright, on the device that is always full (under Wine the Linux side's, which
// the Windows file functions reach by its path): the system's code for a full disk.
TEST_F(DownloadTest, FailedWriteRaisesTheSystemsCode) {
    try {
        platform::DownloadToFile(m_server.url("/body/3000"), "/dev/full");
        FAIL() << "no error for a full device";
    } catch (const IoError& error) {
        EXPECT_EQ(error.code(), 112);
        EXPECT_STREQ(error.what(), "I/O error 112");
    }
}
