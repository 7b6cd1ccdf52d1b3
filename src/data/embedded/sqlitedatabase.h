#pragma once

#include "data/driver.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <chrono>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection through the C API. Errors are raised as DataError with SQLite's text.
class SqliteDatabase {
public:
    enum class Mode { OpenExisting, Create };

    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Opens the file; with OpenExisting a missing file fails instead of being created.
    void open(const QString& file, Mode mode);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    // Binds the value of parameter `index` (1-based) whose name (with its prefix, empty for '?') is given.
    using Binder = std::function<void(sqlite3_stmt*, int index, const char* name)>;
    // Called for each statement right before it is prepared, and with -1 right after.
    using PrepareHook = std::function<void(bool before)>;

    // Runs every statement of the text in order. The first statement that yields columns fills
    // `result` (columns typed by ColumnDecoder); rowsAffected is that of the last data change.
    void run(const QByteArray& sql, const Binder& binder, StatementResult& result,
             const QString& dateOrder = QStringLiteral("mdy"), const PrepareHook& hook = {});

    // The time limit of each run(), in seconds (0: none). A run that exceeds it, or that waits that
    // long for another connection's lock, raises DataError "Query timeout expired". Until it is set,
    // runs have no limit and wait five seconds for a lock.
    void setStatementTimeout(int seconds);

    // A file in the write-ahead log's mode on a network share (`localFile` false) goes back to the
    // rollback journal: the log's index lives in memory that computers do not share. Any other file
    // is left as it is, so that opening a database never changes it; a file the administrator has
    // put into the log's mode on a local disk keeps it (readers then go on beside a writer).
    void leaveLogOnShare(bool localFile);

    // Whether the last failure was another connection's lock that gave no wait a chance (a
    // transaction that read before it wrote, whose snapshot another writer has made stale): the
    // transaction must be rolled back and run again.
    bool lastFailureWasUnwaitedBusy() const { return m_unwaitedBusy; }

    // Runs statements that return nothing of interest.
    void exec(const QByteArray& sql);

    // SQLite's text for the last error, and its primary result code.
    QString errorText() const;
    int errorCode() const;

    static void bind(sqlite3_stmt* statement, int index, const QVariant& value);

    // Raises DataError for the last failed call: "Query timeout expired" when the limit has passed
    // or another connection's lock was waited for past it, SQLite's text otherwise.
    [[noreturn]] void fail() const;

private:
    void applyTimeout();
    static int progress(void* self);
    static int busy(void* self, int attempt);
    static void pauseForLock(int attempt);
    bool lockWaitLeft(std::chrono::steady_clock::time_point started) const;

    int lockWaitMilliseconds() const;

    sqlite3* m_db = nullptr;
    int m_timeout = -1; // seconds; -1 until set
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    std::chrono::steady_clock::time_point m_lockWaitStarted;
    bool m_lockWaitGaveUp = false;
    mutable bool m_unwaitedBusy = false;
};
