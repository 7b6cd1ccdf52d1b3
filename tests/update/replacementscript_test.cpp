// The replacement script that the program really runs, started through the shell-run function
// against a running stand-in for the program (natively the shell counterpart; in the Windows check
// the batch script under Wine's command interpreter).
#include "platform/filelock.h"
#include "platform/shellrun.h"
#include "support/runningprogram.h"
#include "support/tempfolder.h"
#include "support/unstartableprogram.h"
#include "update/replacementscript.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::RunningProgram;
using testsupport::WaitFor;
using testsupport::WriteFileBytes;

namespace {

#ifdef _WIN32
const char* const ProgramName = "ZOR 27.exe";
const char* const ScriptName = "ZOR 27.bat";
#else
const char* const ProgramName = "ZOR 27";
const char* const ScriptName = "ZOR 27.sh";
#endif

// An installation in the middle of an update: the old program (the stand-in) running in the
// program folder, the new one (the stand-in with a mark appended, so that it still runs) downloaded
// into "tempZOR", and the script beside the program.
class ReplacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_staging);
        fs::copy_file(ZOR_DUMMY_PROGRAM, m_home / ProgramName);
        m_oldProgram = ReadFileBytes(m_home / ProgramName);
        ASSERT_FALSE(m_oldProgram.empty());
        m_newProgram = m_oldProgram + "\nthe next build\n";
        WriteFileBytes(m_staging / ProgramName, m_newProgram);
        m_program = std::make_unique<RunningProgram>(m_home / ProgramName, (m_temp.path() / "stop").string());
        ASSERT_TRUE(m_program->started());
    }

    // Writes the script that the program runs and starts it as the program does, with the program
    // folder as working directory (the tests' own is elsewhere).
    void startScript(int waitSeconds = 300) {
#ifdef _WIN32
        WriteFileBytes(m_home / ScriptName, GuardedReplacementScript(waitSeconds));
#else
        WriteFileBytes(m_home / ScriptName, ShellReplacementScript(m_program->pid(), waitSeconds));
#endif
        ASSERT_NE(fs::current_path(), m_home);
        platform::ShellRunHidden((m_home / ScriptName).string(), m_home.string());
        ASSERT_TRUE(WaitFor([this] { return scriptWaits(); })) << "the script did not start";
    }

    // The script is under way and waiting for the program.
    bool scriptWaits() const {
#ifdef _WIN32
        // Its first step is the copy that it keeps of the old program.
        return fs::exists(keptCopy());
#else
        return scriptRunning();
#endif
    }

    // The script has stopped: done, given up, or replaced by the new program.
    bool scriptDone() const {
#ifdef _WIN32
        return !fs::exists(keptCopy());
#else
        return !scriptRunning();
#endif
    }

    fs::path keptCopy() const {
        return m_staging / (std::string("ZOR 27") + ".old");
    }

#ifndef _WIN32
    // Whether a process runs the script: the script is not our child, so the process table tells.
    bool scriptRunning() const {
        const std::string script = (m_home / ScriptName).string();
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator("/proc", ignored)) {
            const std::string commandLine = ReadFileBytes(entry.path() / "cmdline");
            if (commandLine.find(script) != std::string::npos)
                return true;
        }
        return false;
    }
#endif

    void stopProgram() {
        WriteFileBytes(m_temp.path() / "stop", "");
        ASSERT_TRUE(m_program->waitForEnd());
    }

    bool newProgramRan() const {
        return fs::exists(m_home / (std::string(ProgramName) + ".ran"));
    }

    testsupport::TempFolder m_temp{"zor27-replacement"};
    fs::path m_home = m_temp.path() / "Program";
    fs::path m_staging = m_home / "tempZOR";
    std::string m_oldProgram;
    std::string m_newProgram;
    std::unique_ptr<RunningProgram> m_program;
};

} // namespace

TEST_F(ReplacementTest, ReplacesTheRunningProgramOnlyAfterItEnds) {
    startScript();
    // Long enough for the script to have tried, and paused, more than once.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram) << "replaced while the program was running";
    EXPECT_TRUE(fs::exists(m_staging / ProgramName));
    EXPECT_FALSE(newProgramRan());

    stopProgram();
    ASSERT_TRUE(WaitFor([this] { return newProgramRan(); })) << "the new program was not started";
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_newProgram);
    // Started from the hidden script, the new program must still show its window.
    EXPECT_TRUE(WaitFor([this] {
        return ReadFileBytes(m_home / (std::string(ProgramName) + ".ran")) == "ran\n";
    })) << ReadFileBytes(m_home / (std::string(ProgramName) + ".ran"));
    EXPECT_FALSE(fs::exists(m_staging)) << "tempZOR stays behind";
    EXPECT_FALSE(fs::exists(m_home / (std::string(ProgramName) + ".new")));
    EXPECT_EQ(ReadFileBytes(m_home / (std::string(ProgramName) + ".checked")), "checked\n")
        << "the new program was not checked before it stayed";
}

// A new program that the system's loader cannot start (a library it needs is missing) fails its
// start check: the old one is put back and started, the download kept aside under another name.
TEST_F(ReplacementTest, ANewProgramThatCannotStartIsRolledBack) {
    const std::string unstartable = testsupport::UnstartableProgram(m_oldProgram);
    ASSERT_FALSE(unstartable.empty());
    WriteFileBytes(m_staging / ProgramName, unstartable);
    startScript();
    stopProgram();
    ASSERT_TRUE(WaitFor([this] { return newProgramRan(); })) << "no program was started again";
    ASSERT_TRUE(WaitFor([this] { return scriptDone(); })) << "the script did not end";
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram);
    EXPECT_EQ(ReadFileBytes(m_staging / "ZOR 27.rejected"), unstartable);
    EXPECT_FALSE(fs::exists(m_staging / ProgramName)) << "a later script would install it again";
    EXPECT_FALSE(fs::exists(keptCopy()));
}

TEST_F(ReplacementTest, KeepsTheOldProgramWhenTheCopyFails) {
#ifdef _WIN32
    // Held open without sharing, as a virus scanner might hold it: the copy cannot read it.
    HANDLE held = ::CreateFileA((m_staging / ProgramName).string().c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
#else
    // A folder where the new program should be: the copy fails on every system and for every user.
    fs::remove(m_staging / ProgramName);
    fs::create_directory(m_staging / ProgramName);
#endif
    startScript();
    stopProgram();
    ASSERT_TRUE(WaitFor([this] { return scriptDone(); })) << "the script did not end";
#ifdef _WIN32
    ::CloseHandle(held);
#endif
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram);
    EXPECT_TRUE(fs::exists(m_staging / ProgramName)) << "the download is kept for a look";
    EXPECT_FALSE(newProgramRan()) << "nothing is started after a failed copy";
    EXPECT_FALSE(fs::exists(m_home / (std::string(ProgramName) + ".new")));
}

TEST_F(ReplacementTest, GivesUpWhenTheProgramDoesNotEnd) {
    startScript(2);
    ASSERT_TRUE(WaitFor([this] { return scriptDone(); })) << "the script did not give up";
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram);
    EXPECT_EQ(ReadFileBytes(m_staging / ProgramName), m_newProgram);
    stopProgram();
    // Nothing is left that would still replace it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram);
    EXPECT_FALSE(newProgramRan());
}

// A download that never completed leaves only its part file, which is no program: the script
// replaces nothing and starts nothing.
TEST_F(ReplacementTest, WithoutACompleteDownloadNothingIsReplaced) {
    fs::remove(m_staging / ProgramName);
    WriteFileBytes(m_staging / "ZOR 27.4321.part", m_newProgram.substr(0, m_newProgram.size() / 2));
#ifdef _WIN32
    WriteFileBytes(m_home / ScriptName, GuardedReplacementScript(300));
#else
    WriteFileBytes(m_home / ScriptName, ShellReplacementScript(m_program->pid(), 300));
#endif
    platform::ShellRunHidden((m_home / ScriptName).string(), m_home.string());
    stopProgram();
    // Time for a script that would go on to have replaced the program and started the new one.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ASSERT_TRUE(WaitFor([this] { return scriptDone(); })) << "the script did not end";
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram);
    EXPECT_FALSE(newProgramRan());
    EXPECT_TRUE(fs::exists(m_staging / "ZOR 27.4321.part"));
}

#ifdef _WIN32
// A batch script cannot take the update lock: while it works it holds a file open, which tells a copy
// of the program that an update is under way; once it ends the file goes with "tempZOR".
TEST_F(ReplacementTest, HoldsItsMarkWhileItWorks) {
    startScript();
    const fs::path mark = m_staging / "ZOR 27.run";
    ASSERT_TRUE(fs::exists(mark));
    EXPECT_TRUE(platform::FileHeldOpen(mark.string())) << "another copy could start an update now";
    stopProgram();
    ASSERT_TRUE(WaitFor([this] { return newProgramRan(); }));
    EXPECT_FALSE(fs::exists(m_staging));
}
#else
// The shell script shares the program's update lock: it replaces nothing while the lock is held
// (the program holds it until it ends), and holds it itself while it works.
TEST_F(ReplacementTest, WaitsForTheUpdateLockAndHoldsIt) {
    const std::string lock = (m_staging / "ZOR 27.lock").string();
    std::optional<platform::FileLock> programs = platform::FileLock::tryAcquire(lock);
    ASSERT_TRUE(programs.has_value());
    startScript();
    stopProgram();
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_oldProgram) << "replaced while the lock was held";
    EXPECT_FALSE(newProgramRan());

    programs.reset();
    ASSERT_TRUE(WaitFor([this] { return newProgramRan(); })) << "the new program was not started";
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_newProgram);
    EXPECT_FALSE(fs::exists(m_staging));
}

TEST_F(ReplacementTest, HoldsTheUpdateLockWhileItWaitsForTheProgram) {
    startScript();
    const std::string lock = (m_staging / "ZOR 27.lock").string();
    EXPECT_TRUE(WaitFor([&] { return !platform::FileLock::tryAcquire(lock).has_value(); }))
        << "a copy of the program could start an update now";
    stopProgram();
    ASSERT_TRUE(WaitFor([this] { return newProgramRan(); }));
    EXPECT_EQ(ReadFileBytes(m_home / ProgramName), m_newProgram);
}
#endif
