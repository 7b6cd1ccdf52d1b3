#include "tdsstandin.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QThread>
#include <stdexcept>

namespace testsupport {

TdsStandIn::TdsStandIn(const QString& databaseFile, const QString& folder)
    : m_databaseFile(databaseFile), m_folder(folder) {
    start(0);
}

void TdsStandIn::start(quint16 port) {
    const QString portFile = m_folder + QStringLiteral("/standin.port");
    QFile::remove(portFile);
    m_process.start(QStringLiteral(ZOR_PYTHON3),
                    {QStringLiteral(ZOR_TDS_STANDIN), QStringLiteral("--db"), HostPath(m_databaseFile),
                     QStringLiteral("--port"), QString::number(port), QStringLiteral("--port-file"),
                     HostPath(portFile), QStringLiteral("--log"),
                     HostPath(m_folder + QStringLiteral("/standin.jsonl")), QStringLiteral("--control"),
                     HostPath(m_folder + QStringLiteral("/faults.json"))});
    m_port = 0;
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll().trimmed();
            if (!text.isEmpty()) {
                m_port = static_cast<quint16>(text.toUInt());
                break;
            }
        }
        if (!m_process.running())
            break;
        QThread::msleep(20);
    }
    if (m_port == 0)
        throw std::runtime_error("the SQL Server stand-in did not start");
}

TdsStandIn::~TdsStandIn() {
    stop();
}

void TdsStandIn::stop() {
    m_process.stop();
}

void TdsStandIn::restart() {
    stop();
    start(m_port);
}

QString TdsStandIn::dataSource() const {
    return QStringLiteral("127.0.0.1,%1").arg(m_port);
}

QList<QJsonObject> TdsStandIn::log() const {
    QList<QJsonObject> records;
    QFile file(m_folder + QStringLiteral("/standin.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.trimmed().isEmpty())
            records.append(QJsonDocument::fromJson(line).object());
    return records;
}

QStringList TdsStandIn::statements() const {
    QStringList texts;
    for (const QJsonObject& record : log()) {
        const QString kind = record.value(QStringLiteral("kind")).toString();
        if (kind == QStringLiteral("batch")) {
            texts.append(record.value(QStringLiteral("sql")).toString());
        } else if (kind == QStringLiteral("rpc")) {
            const QString proc = record.value(QStringLiteral("proc")).toString();
            const QJsonArray params = record.value(QStringLiteral("params")).toArray();
            // sp_executesql(stmt, decl, ...), sp_prepare(handle, decl, stmt), sp_prepexec(handle, decl, stmt,
            // ...)
            const int at = proc == QStringLiteral("sp_executesql") ? 0
                           : (proc == QStringLiteral("sp_prepare") || proc == QStringLiteral("sp_prepexec"))
                               ? 2
                               : -1;
            if (at >= 0 && params.size() > at)
                texts.append(params[at].toArray().at(1).toString());
        }
    }
    return texts;
}

void TdsStandIn::setFaultRules(const QJsonArray& rules) {
    QFile file(m_folder + QStringLiteral("/faults.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the stand-in's fault rules");
    file.write(QJsonDocument(rules).toJson());
}

} // namespace testsupport
