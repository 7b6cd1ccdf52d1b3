#pragma once

#include "data/driver.h"
#include "data/odbc/odbcconnection.h"
#include "data/odbc/odbcdriverkind.h"

#include <QString>

// SQL Server for the data access layer: values, fields and errors of the layer over the ODBC
// connection (OdbcConnection), which does the talking.
class OdbcDriver : public Driver {
public:
    // loginTimeout in seconds: an unreachable server fails within it with the driver's text. The
    // driver kind decides how the connection string is written (FreeTDS here, the system's SQL
    // Server driver on Windows).
    explicit OdbcDriver(int loginTimeout = 5, OdbcDriverKind driverKind = DefaultOdbcDriverKind());
    OdbcDriver(const OdbcDriver&) = delete;
    OdbcDriver& operator=(const OdbcDriver&) = delete;

    void open(const ConnectionPairs& settings) override;
    void close() override;
    // False again once the link to the server has failed: a lost connection is not reused.
    bool isOpen() const override;
    StatementResult execute(const QString& statement, const QList<QVariant>& values) override;

private:
    int m_loginTimeout;
    OdbcDriverKind m_driverKind;
    OdbcConnection m_connection;
};
