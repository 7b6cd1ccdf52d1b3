#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class Connection;
class TDM_MB;

// The settings of a second connection that reads in the background: the data module's connection
// string and time limit, and the folder where the embedded engine finds its database.
struct ReadingConnection {
    QString connectionString;
    int commandTimeout = 0;
    QString databaseFolder;

    static ReadingConnection Of(const TDM_MB& data, const QString& databaseFolder);
};

// One reading on a worker thread of a shared pool, on a connection of its own. The work asks
// cancelled() before each statement and tells its owner through post(), whose calls run on the
// owner's thread while the owner is there and the reading has not been given up. When the work
// ends, `ended` runs there too, with how it failed, if it did. The owner's end gives the reading up
// and waits a short while for one stuck in a statement, which is then left to end on its own,
// holding all it needs and telling no one.
class BackgroundRead : public std::enable_shared_from_this<BackgroundRead> {
public:
    // Why a reading failed: the connection did not open, was lost during the reading, or a
    // statement was refused.
    enum class Failure { None, NotConnected, ConnectionLost, Refused };
    using Work = std::function<void(BackgroundRead& read, Connection& connection)>;
    using Ended = std::function<void(Failure failure, const QString& error)>;

    // Starts the work on a connection named `connectionName` opened with the settings.
    static std::shared_ptr<BackgroundRead> Start(QObject* owner, const ReadingConnection& settings,
                                                 const QString& connectionName, Work work, Ended ended);

    bool cancelled() const { return m_cancelled.load(); }
    // Gives the reading up: nothing more of it reaches its owner.
    void cancel() { m_cancelled = true; }
    // For the work: runs `call` on the owner's thread, unless the reading is given up by then or the
    // owner has left.
    void post(std::function<void()> call);
    // Whether the work has ended (its connection closed).
    bool finished() const;
    // For the owner's end: gives the reading up, and waits until `deadline` at most for it to end.
    void leave(std::chrono::steady_clock::time_point deadline);

    explicit BackgroundRead(QObject* owner) : m_owner(owner) {}

private:
    std::atomic<bool> m_cancelled{false};
    // Guards the two below: the work tells its owner through them, and the owner leaves.
    mutable std::mutex m_lock;
    std::condition_variable m_ended;
    bool m_finished = false;
    QObject* m_owner;
};
