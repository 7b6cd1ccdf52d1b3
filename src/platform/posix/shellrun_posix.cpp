#include "platform/shellrun.h"
#include "platform/shellrunerror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void reportAndExit(int channel, int error) {
    (void)!::write(channel, &error, sizeof error);
    ::_exit(127);
}

} // namespace

void ShellRunHidden(const std::string& file, const std::string& workingDir) {
    // The started script reports a failure before exec through this pipe; a successful exec closes
    // it, so the parent reads end-of-file.
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        throw ShellRunError(file, errno);
    const char* const argv[] = {"sh", file.c_str(), nullptr};
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(channel[0]);
        ::close(channel[1]);
        throw ShellRunError(file, error);
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on. The intermediate child leaves at once, so the
        // script belongs to no process of ours and nobody needs to wait for it.
        ::close(channel[0]);
        if (::setsid() < 0)
            reportAndExit(channel[1], errno);
        const pid_t script = ::fork();
        if (script < 0)
            reportAndExit(channel[1], errno);
        if (script > 0)
            ::_exit(0);
        if (::chdir(workingDir.c_str()) != 0 || ::access(file.c_str(), R_OK) != 0)
            reportAndExit(channel[1], errno);
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0)
            reportAndExit(channel[1], errno);
        if (null > 2)
            ::close(null);
        ::execv("/bin/sh", const_cast<char* const*>(argv));
        reportAndExit(channel[1], errno);
    }
    ::close(channel[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(channel[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(channel[0]);
    if (got == static_cast<ssize_t>(sizeof error))
        throw ShellRunError(file, error);
}

} // namespace platform
