#include "platform/computername.h"
#include "platform/executablepath.h"
#include "platform/filecreateerror.h"
#include "platform/hostresolver.h"
#include "platform/ioerror.h"
#include "platform/socketerror.h"
#include "platform/systemfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using platform::IoError;

namespace {

class TempFolder {
public:
    TempFolder() {
        std::random_device random;
        m_path = fs::temp_directory_path() / ("zor27-platform-" + std::to_string(random()));
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(m_path, fs::perms::all, ignored);
        fs::remove_all(m_path, ignored);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Returns the IoError number of opening the path, or 0 when it opens.
int openCode(const std::string& path) {
    try {
        platform::SystemFile::openExistingReadWrite(path);
        return 0;
    } catch (const IoError& error) {
        return error.code();
    }
}

} // namespace

TEST(IoErrorTest, TextFollowsFromTheNumber) {
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {2, "File not found"},       {3, "Invalid filename"},        {4, "Too many open files"},
        {5, "File access denied"},   {100, "Read beyond end of file"}, {101, "Disk full"},
        {103, "I/O error 103"},      {32, "I/O error 32"},          {0, "I/O error 0"},
    };
    for (const auto& c : cases) {
        const IoError error(c.code);
        EXPECT_EQ(error.code(), c.code);
        EXPECT_STREQ(error.what(), c.text) << c.code;
    }
}

TEST(SystemFileTest, OpenErrorsCarryTheSystemNumbers) {
    TempFolder temp;
    const fs::path data = temp.path() / "Data";
    fs::create_directories(data / "Folder");
    writeFile(data / "ZOR", "0123456789");
    const struct {
        const char* name;
        fs::path path;
        int code;
    } cases[] = {
        {"existing file", data / "ZOR", 0},
        {"file missing in an existing folder", data / "Missing", IoError::FileNotFound},
        {"folder missing", temp.path() / "NoData" / "ZOR", IoError::PathNotFound},
        {"a folder in place of the file", data / "Folder", IoError::AccessDenied},
        {"empty path", fs::path(), IoError::PathNotFound},
    };
    for (const auto& c : cases)
        EXPECT_EQ(openCode(c.path.string()), c.code) << c.name;
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
    EXPECT_EQ(std::string(error.what()), "Cannot create file \"/tmp/x/ZOR.bat\". " + platform::SystemErrorText(2));
    EXPECT_FALSE(platform::SystemErrorText(2).empty());
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
        EXPECT_STREQ(error.what(), "Socket Error # 11001\r\nHost not found.");
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
    const std::vector<platform::IPv4Address> addresses = platform::SystemHostResolver().resolveIPv4("localhost");
    ASSERT_FALSE(addresses.empty());
    EXPECT_EQ(platform::FormatIPv4(addresses.front()), "127.0.0.1");
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
