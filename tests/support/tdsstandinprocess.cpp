#include "tdsstandinprocess.h"

#include <cstdlib>
#include <fstream>

namespace testsupport {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

TdsStandInProcess::TdsStandInProcess() {
#ifdef _WIN32
    m_log = environment("ZOR_TEST_TDS_LOG");
    m_control = environment("ZOR_TEST_TDS_CONTROL");
    m_port = std::atoi(environment("ZOR_TEST_TDS_PORT").c_str());
    if (m_port == 0 || m_log.empty() || m_control.empty())
        m_error = "no SQL Server stand-in: scripts/windows-check.sh starts one and names it in "
                  "ZOR_TEST_TDS_PORT, ZOR_TEST_TDS_LOG and ZOR_TEST_TDS_CONTROL";
#else
    m_folder = std::make_unique<TempFolder>("zor27-standin");
    const std::filesystem::path folder = m_folder->path();
    const std::filesystem::path database = folder / "driver.db";
    std::error_code failed;
    std::filesystem::copy_file(ZOR_DRIVER_DB, database, failed);
    if (failed) {
        m_error = std::string("cannot copy ") + ZOR_DRIVER_DB + ": " + failed.message();
        return;
    }
    m_log = (folder / "standin.jsonl").string();
    m_control = (folder / "faults.json").string();
    const std::filesystem::path portFile = folder / "standin.port";
    // Its "listening on" line is of no use here.
    m_process = std::make_unique<RunningProgram>(
        ZOR_PYTHON,
        std::vector<std::string>{ZOR_TDS_STANDIN_SCRIPT, "--db", database.string(), "--port-file", portFile.string(),
                                 "--log", m_log, "--control", m_control},
        true);
    m_port = std::atoi(WaitForFirstLine(*m_process, portFile).c_str());
    if (m_port == 0)
        m_error = "the SQL Server stand-in did not start: " + std::string(ZOR_TDS_STANDIN_SCRIPT);
#endif
}

TdsStandInProcess::~TdsStandInProcess() = default;

std::u16string TdsStandInProcess::dataSource() const {
    const std::string text = "127.0.0.1," + std::to_string(m_port);
    return std::u16string(text.begin(), text.end());
}

std::vector<std::string> TdsStandInProcess::log() const {
    std::vector<std::string> lines;
    std::ifstream file(m_log, std::ios::binary);
    std::string line;
    while (std::getline(file, line))
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

void TdsStandInProcess::setFaultRules(const std::string& json) const {
    std::ofstream(m_control, std::ios::binary | std::ios::trunc) << json;
}

} // namespace testsupport
