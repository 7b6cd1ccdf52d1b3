#include "tempfolder.h"

#include "testhttpserver.h"

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace testsupport {

TempFolder::TempFolder(const std::string& prefix) {
    m_path = fs::temp_directory_path() / (prefix + "-" + UniqueTag());
    fs::create_directories(m_path);
}

TempFolder::~TempFolder() {
    // Read-only entries would stop the removal on Windows.
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::all, ignored);
    for (auto it = fs::recursive_directory_iterator(m_path, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
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
