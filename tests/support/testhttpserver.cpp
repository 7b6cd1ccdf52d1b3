#include "testhttpserver.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string PatternBytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((i * 7 + (i >> 8)) & 0xFF);
    return bytes;
}

std::string UniqueTag() {
    std::random_device random;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::to_string(random()) + "-" + std::to_string(now & 0xFFFFFF);
}

TestHttpServer::TestHttpServer(const std::vector<std::pair<std::string, std::string>>& served,
                               double holdSeconds, double paceSeconds) {
#ifdef _WIN32
    (void)holdSeconds;
    (void)paceSeconds;
    m_log = environment("ZOR_TEST_HTTP_LOG");
    m_port = std::atoi(environment("ZOR_TEST_HTTP_PORT").c_str());
    m_closedPort = std::atoi(environment("ZOR_TEST_HTTP_CLOSED_PORT").c_str());
    if (m_port == 0 || m_log.empty())
        m_error = "no test HTTP server: scripts/windows-check.sh starts one and names it in "
                  "ZOR_TEST_HTTP_PORT, ZOR_TEST_HTTP_CLOSED_PORT and ZOR_TEST_HTTP_LOG";
    else if (!served.empty())
        m_error = "the Windows check's server serves no files";
#else
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    const std::string tag = UniqueTag();
    m_log = (temp / ("zor27-http-" + tag + ".log")).string();
    m_portFile = (temp / ("zor27-http-" + tag + ".port")).string();
    std::vector<std::string> arguments = {ZOR_HTTP_SERVER,
                                          "--log",
                                          m_log,
                                          "--port-file",
                                          m_portFile,
                                          "--hold",
                                          std::to_string(holdSeconds),
                                          "--pace",
                                          std::to_string(paceSeconds)};
    for (const auto& [path, file] : served) {
        arguments.push_back("--serve");
        arguments.push_back(path + "=" + file);
    }
    m_process = std::make_unique<RunningProgram>(ZOR_PYTHON, arguments, true);
    std::istringstream(WaitForFirstLine(*m_process, m_portFile)) >> m_port >> m_closedPort;
    if (m_port == 0)
        m_error = "the test HTTP server did not start: " + std::string(ZOR_PYTHON) + " " + ZOR_HTTP_SERVER;
#endif
}

TestHttpServer::~TestHttpServer() {
    // Natively the server and its files are this object's own.
    if (m_process == nullptr)
        return;
    m_process.reset();
    std::error_code ignored;
    std::filesystem::remove(m_portFile, ignored);
    std::filesystem::remove(m_log, ignored);
}

std::string TestHttpServer::hostAndPort() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string TestHttpServer::url(const std::string& path) const {
    return "http://" + hostAndPort() + path;
}

std::vector<HttpRequest> TestHttpServer::requests() const {
    std::vector<HttpRequest> result;
    std::ifstream log(m_log, std::ios::binary);
    std::string line;
    while (std::getline(log, line)) {
        const std::string::size_type tab = line.find('\t');
        if (tab != std::string::npos)
            result.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return result;
}

std::vector<HttpRequest> TestHttpServer::requestsWith(const std::string& text) const {
    std::vector<HttpRequest> result;
    for (HttpRequest& request : requests())
        if (request.path.find(text) != std::string::npos)
            result.push_back(std::move(request));
    return result;
}

} // namespace testsupport
