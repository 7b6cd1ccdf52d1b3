#pragma once

#include "data/driver.h"
#include "data/odbc/odbcconnectionstring.h"

#include <QString>

// SQL Server through the ODBC C API (unixODBC and FreeTDS here, the system's ODBC on Windows).
// Statements and every text column travel as UTF-16, so the ODBC driver converts from the
// server's code pages; results are read forward-only into the client's copy, without server
// cursors.
class OdbcDriver : public Driver {
public:
    // loginTimeout in seconds: an unreachable server fails within it with the driver's text. The
    // driver kind decides how the connection string is written (FreeTDS here, the system's SQL
    // Server driver on Windows).
    explicit OdbcDriver(int loginTimeout = 5, OdbcDriverKind driverKind = DefaultOdbcDriverKind());
    ~OdbcDriver() override;
    OdbcDriver(const OdbcDriver&) = delete;
    OdbcDriver& operator=(const OdbcDriver&) = delete;

    void open(const ConnectionPairs& settings) override;
    void close() override;
    // False again once the link to the server has failed: a lost connection is not reused.
    bool isOpen() const override;
    StatementResult execute(const QString& statement, const QList<QVariant>& values) override;

private:
    class Statement;

    // Whether the ODBC driver has found the link to the server broken: some report it only so,
    // with the message of the failed read as a mere warning.
    bool connectionDead() const;
    // Raises DataError with the statement's diagnostics, giving up the connection when they tell
    // that the link to the server is lost.
    [[noreturn]] void fail(Statement& statement);

    int m_loginTimeout;
    OdbcDriverKind m_driverKind;
    // The ODBC environment and connection handles (SQLHENV, SQLHDBC), opaque here so that the
    // header needs no ODBC declarations; null while closed.
    void* m_environment = nullptr;
    void* m_connection = nullptr;
};
