#pragma once

#include "driver.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class DataSet;

// The one database connection. The connection string (the provider's key=value form) chooses the
// engine: a Data Source of "embedded" opens the embedded database, anything else is a SQL Server.
class Connection {
public:
    using DriverFactory = std::function<std::unique_ptr<Driver>(const ConnectionPairs&)>;

    explicit Connection(const QString& name = QString());
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& name() const { return m_name; }
    const QString& connectionString() const { return m_connectionString; }
    // Only while closed; raises DataError otherwise.
    void setConnectionString(const QString& text);
    // Raises DataError with the provider's or server's text for a bad string, an unreachable
    // server or refused credentials; the connection then stays closed. Open: nothing.
    void open();
    // Closes the datasets on the connection first. Closing a closed connection does nothing.
    void close();
    bool isOpen() const;

    // Runs a statement that returns no rows; the number of rows it affected, -1 when unknown.
    qint64 execute(const QString& statement);
    // Runs a statement with positional values, for the datasets. Raises DataError. The result's
    // cells may be collected into cellStorage (see Driver::offerCellStorage).
    StatementResult run(const QString& statement, const QList<QVariant>& values,
                        QList<QVariant> cellStorage = {});

    // The folder in which the embedded engine finds a database given by a plain name.
    void setDatabaseFolder(const QString& folder) { m_databaseFolder = folder; }

    // The time limit of every statement, in seconds (0: none); DefaultCommandTimeout() at first.
    int commandTimeout() const { return m_commandTimeout; }
    void setCommandTimeout(int seconds);
    // 30 seconds, or the whole number of seconds in the environment variable ZOR27_COMMAND_TIMEOUT
    // that an administrator may set for the program.
    static int DefaultCommandTimeout();

    // The engine's condition that a bracketed column of the given kind holds one '?' value.
    QString equalsValue(const QString& column, FieldKind kind);

    // Replaces the engine choice (CreateDriver by default).
    void setDriverFactory(DriverFactory factory) { m_factory = std::move(factory); }

    // What a statement does when it finds the connection closed (lost during the run): without a
    // handler it fails; a handler may reopen the connection, once per statement, which then runs.
    void setReopenHandler(std::function<void(Connection&)> handler) { m_reopen = std::move(handler); }

private:
    friend class DataSet;
    void attach(DataSet* dataSet);
    void detach(DataSet* dataSet);
    Driver& openDriver();

    QString m_name;
    QString m_connectionString;
    QString m_databaseFolder;
    DriverFactory m_factory;
    std::unique_ptr<Driver> m_driver;
    QList<DataSet*> m_dataSets;
    std::function<void(Connection&)> m_reopen;

    int m_commandTimeout;
};
