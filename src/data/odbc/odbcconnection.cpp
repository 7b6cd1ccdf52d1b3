#include "odbcconnection.h"

#include "odbcapi.h"
#include "odbcerror.h"
#include "odbcmessages.h"
#include "odbctext.h"
#include "odbcvalues.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct Diagnostics {
    std::vector<std::u16string> messages;
    bool linkLost = false; // an SQLSTATE of class 08: the connection to the server is gone
};

Diagnostics ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    Diagnostics diagnostics;
    std::vector<SQLWCHAR> message(1024);
    for (SQLSMALLINT record = 1; record < SHRT_MAX; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        const auto read = [&] {
            return SQLGetDiagRecW(handleType, handle, record, state, &native, message.data(),
                                  static_cast<SQLSMALLINT>(message.size()), &length);
        };
        SQLRETURN rc = read();
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size()) &&
            length < SHRT_MAX) {
            message.resize(static_cast<size_t>(length) + 1);
            rc = read();
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        const std::size_t size = static_cast<std::size_t>(
            std::clamp<std::ptrdiff_t>(length, 0, static_cast<std::ptrdiff_t>(message.size()) - 1));
        diagnostics.messages.push_back(FromWide(message.data(), size));
        if (state[0] == '0' && state[1] == '8')
            diagnostics.linkLost = true;
    }
    return diagnostics;
}

} // namespace

// The environment and connection handles of one link to the server; disconnected and freed with
// the last owner, which is the connection or a statement that was given up while it ran.
struct OdbcConnection::Link {
    SQLHENV environment = nullptr;
    SQLHDBC connection = nullptr;

    Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    ~Link() {
        if (connection) {
            SQLDisconnect(connection);
            SQLFreeHandle(SQL_HANDLE_DBC, connection);
        }
        if (environment)
            SQLFreeHandle(SQL_HANDLE_ENV, environment);
    }

    // Whether the ODBC driver has found the link broken: some report it only so, with the message
    // of the failed read as a mere warning.
    bool dead() const {
        SQLUINTEGER value = SQL_CD_FALSE;
        return SQL_SUCCEEDED(SQLGetConnectAttrW(connection, SQL_ATTR_CONNECTION_DEAD, &value, SQL_IS_UINTEGER,
                                                nullptr)) &&
               value == SQL_CD_TRUE;
    }
};

// One statement's run, shared by the thread that waits for it and the one that runs it. Rows reach
// the sink under the lock and only while the waiting thread still waits for them.
struct OdbcConnection::Run {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    SQLHSTMT statement = nullptr; // while it runs, for the cancel
    OdbcRowSink* sink = nullptr;
    OdbcOutcome outcome;
    std::optional<std::u16string> failure;
    bool linkLost = false;
};

namespace {

// Raised inside a run with the statement's diagnostics.
struct RunFailed {
    std::u16string text;
    bool linkLost = false;
};

// A statement handle, freed when the statement is done; the run knows it while it lives.
class StatementHandle {
public:
    StatementHandle(SQLHDBC connection, OdbcConnection::Run& run) : m_run(run) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &m_handle)))
            m_handle = nullptr;
        const std::lock_guard lock(m_run.mutex);
        m_run.statement = m_handle;
    }
    ~StatementHandle() { release(); }
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;

    SQLHSTMT handle() const { return m_handle; }
    void release() {
        {
            const std::lock_guard lock(m_run.mutex);
            m_run.statement = nullptr;
        }
        if (m_handle)
            SQLFreeHandle(SQL_HANDLE_STMT, m_handle);
        m_handle = nullptr;
    }

private:
    OdbcConnection::Run& m_run;
    SQLHSTMT m_handle = nullptr;
};

} // namespace

namespace {

[[noreturn]] void Fail(const OdbcConnection::Link& link, StatementHandle& statement) {
    const Diagnostics diagnostics = statement.handle() ? ReadDiagnostics(SQL_HANDLE_STMT, statement.handle())
                                                       : ReadDiagnostics(SQL_HANDLE_DBC, link.connection);
    statement.release();
    const std::u16string text = OdbcProviderText(diagnostics.messages);
    throw RunFailed{text.empty() ? u"The statement failed without a message" : text,
                    diagnostics.linkLost || link.dead()};
}

// Hands something to the sink unless the waiting thread has given the run up; false then.
template <typename Action> bool Deliver(OdbcConnection::Run& run, Action&& deliver) {
    const std::lock_guard lock(run.mutex);
    if (run.abandoned)
        return false;
    deliver(*run.sink);
    return true;
}

void Perform(const OdbcConnection::Link& link, const std::u16string& statement,
             const std::vector<OdbcCell>& values, int timeoutSeconds, OdbcConnection::Run& run) {
    StatementHandle handle(link.connection, run);
    if (!handle.handle())
        Fail(link, handle);
    const SQLHSTMT hstmt = handle.handle();
    // Forward only and read only: the whole result is copied to the client, so no server cursor.
    if (!SQL_SUCCEEDED(SQLSetStmtAttrW(hstmt, SQL_ATTR_CURSOR_TYPE,
                                       reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY),
                                       SQL_IS_UINTEGER)) ||
        !SQL_SUCCEEDED(SQLSetStmtAttrW(hstmt, SQL_ATTR_CONCURRENCY,
                                       reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), SQL_IS_UINTEGER)))
        Fail(link, handle);
    // The text goes to the server as it is: no ODBC escapes ("{fn ...}") are looked for in it. The
    // driver's own time limit only ends a run that the waiting thread has given up already. Both
    // are standard attributes; a driver that lacks one still runs the statement.
    SQLSetStmtAttrW(hstmt, SQL_ATTR_NOSCAN, reinterpret_cast<SQLPOINTER>(SQL_NOSCAN_ON), SQL_IS_UINTEGER);
    SQLSetStmtAttrW(hstmt, SQL_ATTR_QUERY_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(0, timeoutSeconds))),
                    SQL_IS_UINTEGER);
    std::vector<BoundValue> bound(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        if (!SQL_SUCCEEDED(BindValue(hstmt, static_cast<SQLUSMALLINT>(i + 1), values[i], bound[i])))
            Fail(link, handle);
    SQLRETURN rc = SQLExecDirectW(hstmt, WideText(statement), static_cast<SQLINTEGER>(statement.size()));
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        Fail(link, handle);

    OdbcOutcome& outcome = run.outcome;
    // Results without columns are counts of data changes (a procedure may report those of its own
    // statements before its rows); the count of a result set's own rows says nothing about them.
    SQLSMALLINT columnCount = 0;
    for (;;) {
        if (!SQL_SUCCEEDED(SQLNumResultCols(hstmt, &columnCount)))
            Fail(link, handle);
        if (columnCount > 0)
            break;
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(hstmt, &count)) && count >= 0)
            outcome.rowsAffected = count;
        rc = SQLMoreResults(hstmt);
        if (rc == SQL_NO_DATA)
            return;
        if (!SQL_SUCCEEDED(rc))
            Fail(link, handle);
    }

    outcome.hasResultSet = true;
    std::vector<OdbcColumn> columns;
    columns.reserve(static_cast<std::size_t>(columnCount));
    std::vector<SQLWCHAR> name(128);
    SQLULEN widest = 0;
    for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columnCount); ++column) {
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        const auto describe = [&] {
            return SQLDescribeColW(hstmt, column, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                   &nameLength, &type, &size, &digits, &nullable);
        };
        rc = describe();
        if (SQL_SUCCEEDED(rc) && nameLength >= static_cast<SQLSMALLINT>(name.size())) {
            name.resize(static_cast<size_t>(nameLength) + 1);
            rc = describe();
        }
        if (!SQL_SUCCEEDED(rc))
            Fail(link, handle);
        const OdbcType kind = TypeOfSqlType(type);
        const bool text = kind == OdbcType::AnsiText || kind == OdbcType::WideText;
        const std::size_t length = static_cast<std::size_t>(
            std::clamp<std::ptrdiff_t>(nameLength, 0, static_cast<std::ptrdiff_t>(name.size()) - 1));
        columns.push_back({FromWide(name.data(), length), kind, text ? TextSize(size) : 0});
        if (text || kind == OdbcType::Binary)
            widest = std::max(widest, size);
    }
    if (!Deliver(run, [&](OdbcRowSink& sink) { sink.columns(columns); }))
        return;
    // One buffer for every text and binary cell: a whole value of the usual widths in one call,
    // longer ones in pieces. One row at a time goes to the sink, so no copy of the whole result
    // is made here.
    std::vector<SQLWCHAR> buffer(std::clamp<SQLULEN>(widest + 1, 256, 16384));
    std::vector<OdbcCell> row(columns.size());
    while ((rc = SQLFetch(hstmt)) != SQL_NO_DATA) {
        if (!SQL_SUCCEEDED(rc))
            Fail(link, handle);
        for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columnCount); ++column)
            if (!SQL_SUCCEEDED(ReadCell(hstmt, column, columns[column - 1].type, buffer, row[column - 1])))
                Fail(link, handle);
        if (!Deliver(run, [&](OdbcRowSink& sink) { sink.row(row); }))
            return;
    }
    // Later results are read to their end, so the connection is free for the next statement and a
    // failure among them is not passed over.
    while ((rc = SQLMoreResults(hstmt)) != SQL_NO_DATA)
        if (!SQL_SUCCEEDED(rc))
            Fail(link, handle);
}

// Runs the statement and records how it ended; the run is done afterwards.
void PerformAndFinish(const std::shared_ptr<OdbcConnection::Link>& link, const std::u16string& statement,
                      const std::vector<OdbcCell>& values, int timeoutSeconds,
                      const std::shared_ptr<OdbcConnection::Run>& run) {
    std::optional<RunFailed> failure;
    try {
        Perform(*link, statement, values, timeoutSeconds, *run);
    } catch (const RunFailed& failed) {
        failure = failed;
    } catch (const std::exception& error) {
        failure = RunFailed{Utf16FromUtf8(error.what()), false};
    } catch (...) {
        failure = RunFailed{u"The statement failed without a message", false};
    }
    const std::lock_guard lock(run->mutex);
    if (failure) {
        run->failure = failure->text;
        run->linkLost = failure->linkLost;
    }
    run->done = true;
    run->finished.notify_all();
}

// Collects the rows into a whole result.
class WholeResult : public OdbcRowSink {
public:
    explicit WholeResult(OdbcResult& result) : m_result(result) {}
    void columns(const std::vector<OdbcColumn>& columns) override { m_result.columns = columns; }
    void row(std::vector<OdbcCell>& cells) override {
        for (OdbcCell& cell : cells)
            m_result.cells.push_back(std::move(cell));
    }

private:
    OdbcResult& m_result;
};

} // namespace

OdbcConnection::~OdbcConnection() {
    close();
}

void OdbcConnection::open(const std::u16string& connectionString, int loginTimeout) {
    close();
    auto link = std::make_shared<Link>();
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &link->environment))) {
        link->environment = nullptr;
        throw OdbcError(u"The ODBC driver manager cannot be used");
    }
    SQLSetEnvAttr(link->environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC connection = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, link->environment, &connection))) {
        const std::u16string failure =
            OdbcProviderText(ReadDiagnostics(SQL_HANDLE_ENV, link->environment).messages);
        throw OdbcError(failure.empty() ? u"The ODBC driver manager cannot be used" : failure);
    }
    SQLSetConnectAttrW(connection, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(0, loginTimeout))),
                       SQL_IS_UINTEGER);
    const SQLRETURN rc = SQLDriverConnectW(connection, nullptr, WideText(connectionString),
                                           static_cast<SQLSMALLINT>(connectionString.size()), nullptr, 0,
                                           nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        const std::u16string failure = OdbcProviderText(ReadDiagnostics(SQL_HANDLE_DBC, connection).messages);
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
        throw OdbcError(failure.empty() ? u"Cannot connect to the server" : failure);
    }
    link->connection = connection;
    m_link = std::move(link);
}

void OdbcConnection::close() {
    m_link.reset();
}

std::chrono::milliseconds OdbcConnection::CancelMargin(std::chrono::milliseconds limit) {
    // A quarter of the limit, at most five seconds: the server confirms a cancel at once unless it
    // has stopped answering altogether.
    return std::min<std::chrono::milliseconds>(limit / 4, std::chrono::seconds(5));
}

OdbcOutcome OdbcConnection::execute(const std::u16string& statement, const std::vector<OdbcCell>& values,
                                    int timeoutSeconds, OdbcRowSink& sink) {
    if (!isOpen())
        throw OdbcError(u"Operation is not allowed when the connection is closed");
    auto run = std::make_shared<Run>();
    run->sink = &sink;
    bool cancelled = false;
    if (timeoutSeconds <= 0) {
        PerformAndFinish(m_link, statement, values, 0, run);
    } else {
        // The statement runs on a thread of its own, so that a server that takes neither the
        // statement nor its cancel cannot hold the caller past the limit: that thread then ends
        // by itself, when the driver gives up, and frees the link.
        const auto start = std::chrono::steady_clock::now();
        const std::chrono::milliseconds limit = std::chrono::seconds(timeoutSeconds);
        std::thread(PerformAndFinish, m_link, statement, values, timeoutSeconds, run).detach();
        std::unique_lock lock(run->mutex);
        const auto isDone = [&] { return run->done; };
        if (!run->finished.wait_until(lock, start + limit - CancelMargin(limit), isDone)) {
            cancelled = true;
            if (run->statement)
                SQLCancel(run->statement);
            if (!run->finished.wait_until(lock, start + limit, isDone)) {
                run->abandoned = true;
                lock.unlock();
                close();
                throw OdbcError(u"Timeout expired");
            }
        }
    }
    if (run->failure) {
        if (run->linkLost || m_link->dead())
            close();
        throw OdbcError(cancelled ? u"Timeout expired" : *run->failure);
    }
    return run->outcome;
}

OdbcResult OdbcConnection::execute(const std::u16string& statement, const std::vector<OdbcCell>& values,
                                   int timeoutSeconds) {
    OdbcResult result;
    WholeResult sink(result);
    const OdbcOutcome outcome = execute(statement, values, timeoutSeconds, sink);
    result.hasResultSet = outcome.hasResultSet;
    result.rowsAffected = outcome.rowsAffected;
    return result;
}
