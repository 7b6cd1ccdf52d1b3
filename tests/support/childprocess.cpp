#include "childprocess.h"

#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

std::string RunInChild(const std::function<std::string()>& body, bool asOrdinaryUser) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string result;
        if (asOrdinaryUser && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            result = "cannot drop privileges";
        else
            result = body();
        const ssize_t written = ::write(pipeEnds[1], result.data(), result.size());
        ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[512];
    ssize_t got;
    while ((got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    return result;
}

} // namespace testsupport
