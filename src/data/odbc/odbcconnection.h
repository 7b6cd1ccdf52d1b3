#pragma once

#include "odbccell.h"
#include "odbcresult.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// A connection to SQL Server through the ODBC C API (unixODBC and FreeTDS here, the system's ODBC
// on Windows), on the standard library alone. Statements and every text column travel as UTF-16,
// so the ODBC driver converts from the server's code pages; results are read forward-only into the
// client's copy, without server cursors. Failures raise OdbcError with the driver's or server's text.
class OdbcConnection {
public:
    OdbcConnection() = default;
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // Connects with an ODBC connection string (OdbcConnectionText); loginTimeout in seconds: an
    // unreachable server fails within it with the driver's text.
    void open(const std::u16string& connectionString, int loginTimeout);
    void close();
    // False again once the link to the server has failed, or a statement was given up without the
    // server confirming it: such a connection is not reused.
    bool isOpen() const { return m_link != nullptr; }

    // Runs one statement whose '?' markers take the values by position, each bound with its type (a
    // NULL too, which the server refuses when it is untyped), and hands its first result set, if
    // any, to the sink row by row. timeoutSeconds: the statement's time limit (0: none). The whole
    // wait, the server's confirmation of the cancel included, ends within the limit: the statement
    // is cancelled shortly before it, and a server that has not confirmed by then is given up with
    // the connection ("Timeout expired").
    OdbcOutcome execute(const std::u16string& statement, const std::vector<OdbcCell>& values,
                        int timeoutSeconds, OdbcRowSink& sink);
    // The same, with the result set copied whole.
    OdbcResult execute(const std::u16string& statement, const std::vector<OdbcCell>& values,
                       int timeoutSeconds = 0);

    // How long before the end of a statement's time limit it is cancelled, so that the server's
    // confirmation still arrives within the limit.
    static std::chrono::milliseconds CancelMargin(std::chrono::milliseconds limit);

    // The link's handles, and one statement's run (internal to the implementation).
    struct Link;
    struct Run;

private:
    std::shared_ptr<Link> m_link;
};
