#pragma once

#include "support/hostprogram.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace testsupport {

// The SQL Server stand-in (tds_standin.py) serving a contract database on 127.0.0.1, on a port of
// its own choosing. Stopped when the object goes.
class TdsStandIn {
public:
    // Starts it on the database file; its log, port and fault files go into folder. Raises
    // std::runtime_error when it does not come up within a few seconds.
    TdsStandIn(const QString& databaseFile, const QString& folder);
    ~TdsStandIn();
    TdsStandIn(const TdsStandIn&) = delete;
    TdsStandIn& operator=(const TdsStandIn&) = delete;

    // Stops it: the port refuses connections until restart().
    void stop();
    // Starts it again on the same port, on the same database, log and fault rules.
    void restart();

    quint16 port() const { return m_port; }
    // "127.0.0.1,PORT", as a connection string's Data Source.
    QString dataSource() const;
    // Every request so far, one object a line of its log (kind: login, batch, rpc, error, fault, drop).
    QList<QJsonObject> log() const;
    // The SQL texts the client sent so far: batches, and the statements of sp_executesql and
    // sp_prepare / sp_prepexec calls.
    QStringList statements() const;
    // Replaces the fault rules (read by the stand-in before every statement).
    void setFaultRules(const QJsonArray& rules);

private:
    void start(quint16 port);

    QString m_databaseFile;
    QString m_folder;
    HostProcess m_process;
    quint16 m_port = 0;
};

} // namespace testsupport
