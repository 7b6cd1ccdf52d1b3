#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A folder of its own under the system's temporary folder, removed with everything in it (read-only
// entries included) when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "zor27-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
// Writes the bytes as the whole file.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace testsupport
