// main() of the update tests. Run as root, the whole test program first moves into a network
// namespace of its own, where only the loopback interface exists and host names come from a hosts
// file that names this machine: the programs that the tests start (the program under test, its
// HTTP server, the X server) then reach 127.0.0.1 and nothing else, and the program's look-up of
// its own address asks no DNS server. The X servers' socket folder is its own as well, so that
// test programs running side by side, each with an X server on the first free display, cannot
// meet. The tests that need this check ZOR_TEST_ISOLATED.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <net/if.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool bindFile(const std::string& text, const char* target) {
    char path[] = "/tmp/zor27-isolation-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        return false;
    ::close(fd);
    std::ofstream(path) << text;
    const bool bound = ::mount(path, target, nullptr, MS_BIND, nullptr) == 0;
    ::unlink(path);
    return bound;
}

bool loopbackUp() {
    const int channel = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (channel < 0)
        return false;
    ifreq request{};
    std::snprintf(request.ifr_name, IFNAMSIZ, "lo");
    bool up = ::ioctl(channel, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP | IFF_RUNNING;
    up = up && ::ioctl(channel, SIOCSIFFLAGS, &request) == 0;
    ::close(channel);
    return up;
}

// Must run while the process has a single thread.
bool isolate() {
    if (::geteuid() != 0)
        return false;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0)
        return false;
    return ::unshare(CLONE_NEWNS | CLONE_NEWNET) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           bindFile("hosts: files\n", "/etc/nsswitch.conf") &&
           bindFile("127.0.0.1 localhost " + std::string(host) + "\n", "/etc/hosts") && loopbackUp() &&
           (::mkdir("/tmp/.X11-unix", 01777) == 0 || errno == EEXIST) &&
           ::mount("tmpfs", "/tmp/.X11-unix", "tmpfs", 0, "mode=1777") == 0;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("ZOR_TEST_ISOLATED", isolate() ? "1" : "0", 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
