// Stands in for the running program in the replacement tests: it runs until the file named by its
// argument exists (at most a minute, so that a failed test leaves nothing running). Started without
// an argument, as the replacement script starts the new program, it leaves "<its path>.ran" beside
// itself and ends at once (on Windows the file says "hidden" when the program that started it told it to
// start with its window hidden). With "--check-start", as the replacement script checks a new program,
// it leaves "<its path>.checked" beside itself and ends with code 0. With "--executable-dir FILE" it writes
// the folder that the platform layer reports for it into FILE. With "--hold-lock LOCK STOP" it takes the file
// lock LOCK, writes
// "<LOCK>.held" once it holds it, and keeps it until STOP exists (or it is killed).
#include "platform/executablepath.h"
#include "platform/filelock.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void waitForFile(const char* path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--hold-lock") {
        const auto lock = platform::FileLock::tryAcquire(argv[2]);
        if (!lock)
            return 1;
        std::ofstream(std::string(argv[2]) + ".held") << "held\n";
        waitForFile(argv[3]);
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--executable-dir") {
        std::ofstream(argv[2], std::ios::binary) << platform::ExecutableDir();
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--check-start") {
        std::ofstream(std::string(argv[0]) + ".checked", std::ios::binary) << "checked\n";
        return 0;
    }
    if (argc < 2) {
        std::string shown = "ran\n";
#ifdef _WIN32
        STARTUPINFOW startup{};
        ::GetStartupInfoW(&startup);
        if ((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 && startup.wShowWindow == SW_HIDE)
            shown = "ran hidden\n";
#endif
        std::ofstream(std::string(argv[0]) + ".ran", std::ios::binary) << shown;
        return 0;
    }
    waitForFile(argv[1]);
    return 0;
}
