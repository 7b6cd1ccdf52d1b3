#include "runningprogram.h"

#include <cstdio>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testsupport {

RunningProgram::RunningProgram(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                               bool quiet) {
#ifdef _WIN32
    std::string commandLine = "\"" + executable.string() + "\"";
    for (const std::string& argument : arguments)
        commandLine += " \"" + argument + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    HANDLE nowhere = INVALID_HANDLE_VALUE;
    if (quiet) {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        nowhere = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = nowhere;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION info{};
    m_started = ::CreateProcessA(executable.string().c_str(), commandLine.data(), nullptr, nullptr, quiet, 0,
                                 nullptr, nullptr, &startup, &info);
    if (nowhere != INVALID_HANDLE_VALUE)
        ::CloseHandle(nowhere);
    if (m_started) {
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_pid = info.dwProcessId;
    }
#else
    std::vector<std::string> words = {executable.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (quiet)
            std::freopen("/dev/null", "w", stdout);
        ::execv(argv[0], argv.data());
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

bool RunningProgram::ended() {
#ifdef _WIN32
    return m_process == nullptr || ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
#else
    if (m_pid > 0 && ::waitpid(static_cast<pid_t>(m_pid), nullptr, WNOHANG) == m_pid)
        m_pid = -1;
    return m_pid <= 0;
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

std::string WaitForFirstLine(RunningProgram& program, const std::filesystem::path& file) {
    std::string line;
    WaitFor(
        [&] {
            std::ifstream stream(file);
            std::getline(stream, line);
            return !line.empty() || program.ended();
        },
        std::chrono::seconds(10));
    return line;
}

} // namespace testsupport
