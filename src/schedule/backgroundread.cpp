#include "backgroundread.h"

#include "data/connection.h"
#include "datamodule/tdm_mb.h"

#include <QMetaObject>
#include <QThreadPool>

#include <exception>

namespace {

// The threads that read, kept for a while after a reading so that the next one starts warm (a new
// thread first grows its own memory, which costs a reading of a large faculty about a third more).
// A reading stuck in a statement keeps its thread; the next one gets another. The pool is never
// destroyed, so that the program's end does not wait for a stuck reading.
QThreadPool& ReaderPool() {
    static QThreadPool* const pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(8);
        created->setExpiryTimeout(5 * 60 * 1000);
        return created;
    }();
    return *pool;
}

} // namespace

ReadingConnection ReadingConnection::Of(const TDM_MB& data, const QString& databaseFolder) {
    return {data.ADOCon->connectionString(), data.ADOCon->commandTimeout(), databaseFolder};
}

std::shared_ptr<BackgroundRead> BackgroundRead::Start(QObject* owner, const ReadingConnection& settings,
                                                      const QString& connectionName, Work work, Ended ended) {
    auto read = std::make_shared<BackgroundRead>(owner);
    ReaderPool().start([read, settings, connectionName, work = std::move(work), ended = std::move(ended)] {
        Failure failure = Failure::None;
        QString error;
        {
            // Closed before the reading counts as ended, so that nothing of it runs once its owner left.
            Connection connection(connectionName);
            bool opened = false;
            try {
                connection.setDatabaseFolder(settings.databaseFolder);
                connection.setCommandTimeout(settings.commandTimeout);
                connection.setConnectionString(settings.connectionString);
                connection.open();
                opened = true;
                work(*read, connection);
            } catch (const std::exception& failed) {
                error = QString::fromUtf8(failed.what());
                failure = !opened                ? Failure::NotConnected
                          : !connection.isOpen() ? Failure::ConnectionLost
                                                 : Failure::Refused;
            }
        }
        {
            const std::lock_guard<std::mutex> guard(read->m_lock);
            read->m_finished = true;
            read->m_ended.notify_all();
        }
        read->post([ended, failure, error] { ended(failure, error); });
    });
    return read;
}

void BackgroundRead::post(std::function<void()> call) {
    // The lock keeps the owner there during the call that queues; the queued call looks again,
    // since the owner may give the reading up before it runs.
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_owner && !m_cancelled)
        QMetaObject::invokeMethod(
            m_owner,
            [read = shared_from_this(), call = std::move(call)] {
                if (!read->cancelled())
                    call();
            },
            Qt::QueuedConnection);
}

bool BackgroundRead::finished() const {
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_finished;
}

void BackgroundRead::leave(std::chrono::steady_clock::time_point deadline) {
    m_cancelled = true;
    std::unique_lock<std::mutex> guard(m_lock);
    m_owner = nullptr;
    m_ended.wait_until(guard, deadline, [this] { return m_finished; });
}
