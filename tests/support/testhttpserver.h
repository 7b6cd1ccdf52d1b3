#pragma once

#include "support/runningprogram.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// One request as the server saw it: the raw path with its query, and the agent that asked.
struct HttpRequest {
    std::string path;
    std::string agent;
};

// The download tests' HTTP server (tests/support/http_server.py) on 127.0.0.1. Natively each
// server is a process of its own, stopped with this object. A Windows test under Wine cannot start
// it, so it uses the one that the Windows check started on the Linux side and named in
// ZOR_TEST_HTTP_PORT, ZOR_TEST_HTTP_CLOSED_PORT and ZOR_TEST_HTTP_LOG.
class TestHttpServer {
public:
    // served: raw paths as the client sends them ("/zorprogs/ZOR%2027") and the files given there.
    // holdSeconds: how long the silent paths keep the connection open. paceSeconds: when not 0, the
    // served files' bodies come in pieces spread over that time, as over a slow line.
    explicit TestHttpServer(const std::vector<std::pair<std::string, std::string>>& served = {},
                            double holdSeconds = 30, double paceSeconds = 0);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Empty when the server runs; otherwise why it does not.
    const std::string& error() const { return m_error; }
    int port() const { return m_port; }
    // A port on 127.0.0.1 where nothing listens.
    int closedPort() const { return m_closedPort; }
    // "127.0.0.1:PORT"
    std::string hostAndPort() const;
    // "http://127.0.0.1:PORT" followed by the path.
    std::string url(const std::string& path) const;
    // Every request so far, in order.
    std::vector<HttpRequest> requests() const;
    // The requests whose path contains the text.
    std::vector<HttpRequest> requestsWith(const std::string& text) const;

private:
    std::string m_error;
    std::string m_log;
    int m_port = 0;
    int m_closedPort = 0;
    std::string m_portFile;
    std::unique_ptr<RunningProgram> m_process;
};

// The server's body pattern: byte i is (i * 7 + (i >> 8)) & 0xFF.
std::string PatternBytes(std::size_t count);

// A text that no other test run uses, for tagging requests and naming folders.
std::string UniqueTag();

} // namespace testsupport
