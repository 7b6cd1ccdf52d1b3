#pragma once

#include "odbccell.h"
#include "odbcresult.h"

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
    // False again once the link to the server has failed: a lost connection is not reused.
    bool isOpen() const { return m_connection != nullptr; }

    // Runs one statement whose '?' markers take the values by position, each bound with its type (a
    // NULL too, which the server refuses when it is untyped). timeoutSeconds: the statement's time
    // limit (0: none), after which the driver gives it up. Returns the first result set, if any.
    OdbcResult execute(const std::u16string& statement, const std::vector<OdbcCell>& values,
                       int timeoutSeconds = 0);

private:
    class Statement;

    // Whether the ODBC driver has found the link to the server broken: some report it only so,
    // with the message of the failed read as a mere warning.
    bool connectionDead() const;
    // Raises OdbcError with the statement's diagnostics, giving up the connection when they tell
    // that the link to the server is lost.
    [[noreturn]] void fail(Statement& statement);

    // The ODBC environment and connection handles (SQLHENV, SQLHDBC), opaque here so that the
    // header needs no ODBC declarations; null while closed.
    void* m_environment = nullptr;
    void* m_connection = nullptr;
};
