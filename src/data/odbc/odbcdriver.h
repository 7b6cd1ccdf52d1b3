#pragma once

#include "data/driver.h"

#include <QString>

// SQL Server through ODBC (unixODBC and FreeTDS here). Results are read forward-only into the
// client's copy; no server cursors are used.
class OdbcDriver : public Driver {
public:
    // loginTimeout in seconds: an unreachable server fails within it with the driver's text.
    explicit OdbcDriver(int loginTimeout = 5);
    ~OdbcDriver() override;

    void open(const ConnectionPairs& settings) override;
    void close() override;
    bool isOpen() const override;
    StatementResult execute(const QString& statement, const QList<QVariant>& values) override;

private:
    int m_loginTimeout;
    QString m_connectionName;
};
