#include "runningprogram.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testsupport {

RunningProgram::RunningProgram(const std::filesystem::path& executable, const std::string& argument) {
#ifdef _WIN32
    std::string commandLine = "\"" + executable.string() + "\" \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    m_started = ::CreateProcessA(executable.string().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, &startup, &info);
    if (m_started) {
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_pid = info.dwProcessId;
    }
#else
    const std::string program = executable.string();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), program.c_str(), argument.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    m_pid = child;
    m_started = child > 0;
#endif
}

RunningProgram::~RunningProgram() {
#ifdef _WIN32
    if (m_process != nullptr) {
        ::TerminateProcess(m_process, 1);
        ::CloseHandle(m_process);
    }
#else
    if (m_pid > 0) {
        ::kill(static_cast<pid_t>(m_pid), SIGKILL);
        ::waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
    }
#endif
}

bool RunningProgram::waitForEnd() {
#ifdef _WIN32
    const bool ended = m_process != nullptr && ::WaitForSingleObject(m_process, 30000) == WAIT_OBJECT_0;
    if (ended) {
        ::CloseHandle(m_process);
        m_process = nullptr;
    }
    return ended;
#else
    // Reaping it matters: until then the process is still there for everybody else to see.
    bool ended = false;
    WaitFor([&] { return ended = ::waitpid(static_cast<pid_t>(m_pid), nullptr, WNOHANG) == m_pid; });
    if (ended)
        m_pid = -1;
    return ended;
#endif
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace testsupport
