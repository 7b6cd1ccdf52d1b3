#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace testsupport {

// A program started with one argument and left running; killed when the object goes if it has not
// ended by then.
class RunningProgram {
public:
    RunningProgram(const std::filesystem::path& executable, const std::string& argument);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return m_started; }
    long long pid() const { return m_pid; }
    // Waits (at most 30 s) for the program to end; true when it ended by itself. The process is
    // reaped then, so that nobody sees it any more.
    bool waitForEnd();

private:
    bool m_started = false;
    long long m_pid = -1;
    void* m_process = nullptr;
};

// Polls until the condition holds or the time is up; the result is the condition's last value.
bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(30));

} // namespace testsupport
