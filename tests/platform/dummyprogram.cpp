// Stands in for the running program in the replacement tests: it runs until the file named by its
// argument exists (at most a minute, so that a failed test leaves nothing running). Started without
// an argument, as the replacement script starts the new program, it leaves "<its path>.ran" beside
// itself and ends at once. With "--executable-dir FILE" it writes the folder that the platform layer
// reports for it into FILE.
#include "platform/executablepath.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--executable-dir") {
        std::ofstream(argv[2], std::ios::binary) << platform::ExecutableDir();
        return 0;
    }
    if (argc < 2) {
        std::ofstream(std::string(argv[0]) + ".ran") << "ran\n";
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!std::filesystem::exists(argv[1]) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 0;
}
