#include "data/embedded/sqlitedatabase.h"

#include "data/dataerror.h"
#include "data/embedded/columndecoder.h"

#include <QDate>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTime>
#include <algorithm>
#include <climits>
#include <iterator>
#include <memory>
#include <sqlite3.h>
#include <thread>
#include <vector>

namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

bool onlyWhitespace(const char* text, const char* end) {
    for (; text < end; ++text)
        if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n')
            return false;
    return true;
}

// Whether a statement changes rows, so that its count of changed rows means something.
bool changesRows(sqlite3_stmt* statement) {
    if (sqlite3_stmt_readonly(statement))
        return false;
    const QByteArray text = QByteArray(sqlite3_sql(statement)).trimmed().left(10).toUpper();
    return text.startsWith("INSERT") || text.startsWith("UPDATE") || text.startsWith("DELETE") ||
           text.startsWith("REPLACE") || text.startsWith("WITH");
}

} // namespace

SqliteDatabase::~SqliteDatabase() {
    close();
}

void SqliteDatabase::open(const QString& file, Mode mode) {
    close();
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString("out of memory");
        close();
        throw DataError(text);
    }
    sqlite3_extended_result_codes(m_db, 0);
    applyTimeout();
    // The VM asks between instructions whether the running statement has had its time.
    sqlite3_progress_handler(m_db, 1000, &SqliteDatabase::progress, this);
}

void SqliteDatabase::setStatementTimeout(int seconds) {
    m_timeout = std::max(0, seconds);
    applyTimeout();
}

void SqliteDatabase::applyTimeout() {
    if (m_db)
        sqlite3_busy_handler(m_db, &SqliteDatabase::busy, this);
}

int SqliteDatabase::lockWaitMilliseconds() const {
    // Waiting for another connection's lock counts against the same limit; with no limit the wait
    // has none either. Until a limit is given, locks are waited for five seconds.
    if (m_timeout == 0)
        return -1;
    if (m_timeout > 0)
        return std::min(m_timeout, INT_MAX / 1000) * 1000;
    return 5000;
}

bool SqliteDatabase::lockWaitLeft(std::chrono::steady_clock::time_point started) const {
    const int limit = lockWaitMilliseconds();
    return limit < 0 || std::chrono::steady_clock::now() - started < std::chrono::milliseconds(limit);
}

void SqliteDatabase::pauseForLock(int attempt) {
    // SQLite's own wait sleeps up to 100 ms between tries, long enough for a writer in a loop to take
    // the lock again every time; these pauses stay near the length of one save, with a little
    // randomness so that two waiters do not keep trying in step.
    static constexpr int Steps[] = {20, 50, 100, 200};
    constexpr int Last = int(std::size(Steps)) - 1;
    int micro = Steps[std::min(attempt, Last)];
    if (attempt >= Last)
        micro += int(QRandomGenerator::global()->bounded(200));
    std::this_thread::sleep_for(std::chrono::microseconds(micro));
}

int SqliteDatabase::busy(void* self, int attempt) {
    auto* database = static_cast<SqliteDatabase*>(self);
    if (attempt == 0) {
        database->m_lockWaitStarted = std::chrono::steady_clock::now();
        database->m_lockWaitGaveUp = false;
    }
    if (!database->lockWaitLeft(database->m_lockWaitStarted)) {
        database->m_lockWaitGaveUp = true;
        return 0;
    }
    pauseForLock(attempt);
    return 1;
}

int SqliteDatabase::progress(void* self) {
    return static_cast<SqliteDatabase*>(self)->m_deadline.hasExpired() ? 1 : 0;
}

void SqliteDatabase::leaveLogOnShare(bool localFile) {
    if (localFile)
        return;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA journal_mode", -1, &raw, nullptr) != SQLITE_OK)
        return;
    Statement statement(raw);
    if (sqlite3_step(raw) != SQLITE_ROW)
        return;
    const QByteArray current =
        QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0))).toLower();
    statement.reset();
    // A failure (another connection in the middle of a transaction) leaves the mode as it was.
    if (current == "wal")
        sqlite3_exec(m_db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
}

void SqliteDatabase::close() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

QString SqliteDatabase::errorText() const {
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

int SqliteDatabase::errorCode() const {
    return m_db ? sqlite3_errcode(m_db) & 0xFF : SQLITE_MISUSE;
}

void SqliteDatabase::fail() const {
    const int code = errorCode();
    m_unwaitedBusy = code == SQLITE_BUSY && !m_lockWaitGaveUp;
    if ((code == SQLITE_INTERRUPT && m_deadline.hasExpired()) ||
        (code == SQLITE_BUSY && m_lockWaitGaveUp && m_timeout > 0))
        throw DataError(QStringLiteral("Query timeout expired"));
    throw DataError(errorText());
}

void SqliteDatabase::exec(const QByteArray& sql) {
    if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

void SqliteDatabase::bind(sqlite3_stmt* statement, int index, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(statement, index);
        return;
    }
    const int type = value.metaType().id();
    if (type == QMetaType::Bool || IntegerWidthOf(type) != IntegerWidth::None) {
        sqlite3_bind_int64(statement, index, value.toLongLong());
        return;
    }
    switch (type) {
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(statement, index, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob64(statement, index, bytes.constData(), bytes.size(), SQLITE_TRANSIENT);
        return;
    }
    case QMetaType::QDateTime: {
        const QByteArray text = ColumnDecoder::dateTimeText(value.toDateTime()).toUtf8();
        sqlite3_bind_text64(statement, index, text.constData(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    case QMetaType::QDate: {
        const QByteArray text = value.toDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
        sqlite3_bind_text64(statement, index, text.constData(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    case QMetaType::QTime: {
        const QByteArray text = value.toTime().toString(QStringLiteral("HH:mm:ss")).toUtf8();
        sqlite3_bind_text64(statement, index, text.constData(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text64(statement, index, text.constData(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        return;
    }
    }
}

void SqliteDatabase::run(const QByteArray& sql, const Binder& binder, StatementResult& result,
                         const QString& dateOrder, const PrepareHook& hook) {
    struct Deadline {
        QDeadlineTimer& timer;
        ~Deadline() { timer = QDeadlineTimer(QDeadlineTimer::Forever); }
    } deadline{m_deadline};
    if (m_timeout > 0)
        m_deadline = QDeadlineTimer(qint64(m_timeout) * 1000);
    const char* next = sql.constData();
    const char* const end = next + sql.size();
    while (next < end && !onlyWhitespace(next, end)) {
        sqlite3_stmt* raw = nullptr;
        const char* tail = nullptr;
        if (hook)
            hook(true);
        const int rc = sqlite3_prepare_v2(m_db, next, int(end - next), &raw, &tail);
        if (hook)
            hook(false);
        if (rc != SQLITE_OK)
            fail();
        next = tail;
        if (!raw) // a comment or a lone semicolon
            continue;
        Statement statement(raw);
        const int parameters = sqlite3_bind_parameter_count(raw);
        for (int i = 1; i <= parameters; ++i)
            binder(raw, i, sqlite3_bind_parameter_name(raw, i));
        const int columns = sqlite3_column_count(raw);
        const bool collect = columns > 0 && !result.hasResultSet;
        std::vector<ColumnDecoder> decoders;
        if (collect) {
            result.hasResultSet = true;
            decoders.reserve(columns);
            for (int c = 0; c < columns; ++c)
                decoders.emplace_back(QString::fromUtf8(sqlite3_column_name(raw, c)),
                                      sqlite3_column_decltype(raw, c), dateOrder);
        }
        for (;;) {
            const int step = sqlite3_step(raw);
            if (step == SQLITE_DONE)
                break;
            if (step != SQLITE_ROW)
                fail();
            if (collect)
                for (int c = 0; c < columns; ++c)
                    result.cells.append(decoders[c].read(raw, c));
        }
        if (collect) {
            for (int c = 0; c < columns; ++c) {
                decoders[c].finish(result.cells, c, columns);
                result.columns.append(decoders[c].info());
            }
        }
        if (columns == 0 && changesRows(raw))
            result.rowsAffected = sqlite3_changes(m_db);
    }
}
