#include "tempfolder.h"

#include "testhttpserver.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace testsupport {

TempFolder::TempFolder(const std::string& prefix) {
    m_path = fs::temp_directory_path() / (prefix + "-" + UniqueTag());
    fs::create_directories(m_path);
}

namespace {

// Entry by entry, deepest first (remove_all can spin for ever on an entry in use); read-only entries
// are made writable first, which Windows needs. True when nothing is left.
bool removeTree(const fs::path& folder) {
    std::error_code error;
    fs::permissions(folder, fs::perms::all, error);
    std::vector<fs::path> entries;
    error.clear();
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        fs::permissions(*entry, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove(*entry, error);
    }
    fs::remove(folder, error);
    return !fs::exists(folder, error) && !error;
}

} // namespace

TempFolder::~TempFolder() {
    // A command interpreter that is just ending still holds its working folder on Windows, so the
    // removal is tried again for a while.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!removeTree(m_path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

} // namespace testsupport
