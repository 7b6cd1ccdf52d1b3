#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A program started with its arguments and left running; killed when the object goes if it has not
// ended by then. A quiet one writes its standard output nowhere.
class RunningProgram {
public:
    RunningProgram(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                   bool quiet = false);
    RunningProgram(const std::filesystem::path& executable, const std::string& argument)
        : RunningProgram(executable, std::vector<std::string>{argument}) {}
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return m_started; }
    long long pid() const { return m_pid; }
    // Waits (at most 30 s) for the program to end; true when it ended by itself. The process is
    // reaped then, so that nobody sees it any more.
    bool waitForEnd();
    // True once the program has ended (it is reaped then); does not wait.
    bool ended();

private:
    bool m_started = false;
    long long m_pid = -1;
    void* m_process = nullptr;
};

// Polls until the condition holds or the time is up; the result is the condition's last value.
bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(30));

// The first line a helper program writes into a file of its own (its port, say), waited for at most
// ten seconds; empty when the program ends or the time is up first.
std::string WaitForFirstLine(RunningProgram& program, const std::filesystem::path& file);

} // namespace testsupport
