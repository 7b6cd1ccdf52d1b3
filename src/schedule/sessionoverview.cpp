#include "sessionoverview.h"

#include "clashpass.h"
#include "clashwatch.h"
#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "scheduleeditor.h"
#include "sessionread.h"

#include <QMetaObject>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>

namespace {

// How long the end of the overview waits for a reading stuck in a statement before leaving it to
// end on its own.
constexpr std::chrono::milliseconds EndWait{1000};
// How often the reading tells its progress at most.
constexpr std::chrono::milliseconds ProgressStep{100};

bool Contains(const QString& text, const QString& part) {
    const QString wanted = part.trimmed();
    return wanted.isEmpty() || text.contains(wanted, Qt::CaseInsensitive);
}

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

bool SessionFilter::isEmpty() const {
    return group.trimmed().isEmpty() && examiner.trimmed().isEmpty() && room.trimmed().isEmpty();
}

bool SessionFilter::matchesGroup(const QString& name) const {
    return Contains(name, group);
}

bool SessionFilter::matches(const SessionEntry& entry) const {
    return Contains(entry.clash.group, group) && Contains(entry.clash.examiner, examiner) &&
           Contains(entry.clash.room, room);
}

struct SessionOverview::Job {
    std::atomic<bool> cancelled{false};
    std::optional<SessionRead::Result> result;
    QString error;
    Failure failure = Failure::Refused;

    // Guards the two below: the worker tells its owner through them, and the owner leaves.
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    SessionOverview* owner = nullptr;
};

SessionOverview::SessionOverview(Scope scope, const QString& connectionString, int commandTimeout,
                                 const QString& databaseFolder, QObject* parent)
    : QObject(parent), m_scope(std::move(scope)), m_connectionString(connectionString),
      m_commandTimeout(commandTimeout), m_databaseFolder(databaseFolder) {}

SessionOverview::~SessionOverview() {
    if (!m_job)
        return;
    // A reading checks for its end before each statement, so it normally ends at once; one stuck in
    // a statement is left behind after a short wait, holding all it needs and telling no one.
    m_job->cancelled = true;
    std::unique_lock<std::mutex> guard(m_job->lock);
    m_job->owner = nullptr;
    m_job->ended.wait_for(guard, EndWait, [this] { return m_job->done; });
}

SessionOverview::Scope SessionOverview::ScopeOf(ScheduleEditor& editor) {
    return {editor.year().keyValue(),  editor.semester().keyValue(),  editor.faculty().keyValue(),
            editor.year().shownText(), editor.semester().shownText(), editor.faculty().shownText()};
}

QString SessionOverview::period() const {
    return ClashPass::Period(m_scope.year, m_scope.semester);
}

QString SessionOverview::FailureText(Failure failure, const QString& reason) {
    QString text = QString::fromUtf8("Не удалось прочитать расписание факультета: ");
    switch (failure) {
    case Failure::NotConnected:
        text += QString::fromUtf8("нет соединения с сервером");
        break;
    case Failure::ConnectionLost:
        text += QString::fromUtf8("связь с сервером прервалась");
        break;
    case Failure::Refused:
        text += QString::fromUtf8("сервер отказал в запросе");
        break;
    }
    if (!reason.trimmed().isEmpty())
        text += QStringLiteral(" (") + reason.trimmed() + u')';
    return text + QString::fromUtf8(". Нажмите «Повторить», чтобы прочитать его снова.");
}

void SessionOverview::read() {
    if (m_job)
        return;
    m_state = State::Reading;
    m_error.clear();
    m_done = 0;
    m_total = 0;
    auto job = std::make_shared<Job>();
    job->owner = this;
    m_job = job;
    const Scope scope = m_scope;
    const QString connectionString = m_connectionString;
    const int timeout = m_commandTimeout;
    const QString folder = m_databaseFolder;
    ReaderPool().start([job, scope, connectionString, timeout, folder] {
        // Progress goes to the owner while it is there; the lock keeps it there during the call.
        const auto tell = [&job](auto call) {
            const std::lock_guard<std::mutex> guard(job->lock);
            if (SessionOverview* owner = job->owner; owner && !job->cancelled)
                QMetaObject::invokeMethod(
                    owner, [owner, call] { call(owner); }, Qt::QueuedConnection);
        };
        {
            // Closed before the reading counts as done, so that nothing of it runs once its owner left.
            Connection connection(QStringLiteral("SessionCon"));
            bool opened = false;
            try {
                connection.setDatabaseFolder(folder);
                connection.setCommandTimeout(timeout);
                connection.setConnectionString(connectionString);
                connection.open();
                opened = true;
                std::chrono::steady_clock::time_point told;
                SessionRead::Result result = SessionRead::Read(
                    connection, scope.year, scope.semester, scope.faculty,
                    [&job] { return job->cancelled.load(); },
                    [&tell, &job, &told](int done, int total) {
                        // Each word to the GUI thread wakes it, taking a core from the reading: the
                        // first word, then one every ProgressStep.
                        const auto now = std::chrono::steady_clock::now();
                        if (done != 0 && done != total && now - told < ProgressStep)
                            return;
                        told = now;
                        tell([done, total, job](SessionOverview* owner) {
                            if (owner->m_job != job)
                                return;
                            owner->m_done = done;
                            owner->m_total = total;
                            emit owner->progressed(done, total);
                        });
                    });
                if (!job->cancelled) {
                    Order(result.entries);
                    job->result.emplace(std::move(result));
                }
            } catch (const std::exception& error) {
                job->error = QString::fromUtf8(error.what());
                job->failure = !opened                ? Failure::NotConnected
                               : !connection.isOpen() ? Failure::ConnectionLost
                                                      : Failure::Refused;
            }
        }
        {
            const std::lock_guard<std::mutex> guard(job->lock);
            job->done = true;
            job->ended.notify_all();
        }
        tell([job](SessionOverview* owner) { owner->finished(job); });
    });
    emit stateChanged();
}

void SessionOverview::finished(const std::shared_ptr<Job>& job) {
    if (job != m_job)
        return;
    m_job.reset();
    if (!job->result) {
        m_state = State::Failed;
        m_error = FailureText(job->failure, job->error);
        m_savedWhileReading.clear();
        emit stateChanged();
        return;
    }
    m_groups = std::move(job->result->groups);
    m_entries = std::move(job->result->entries);
    m_state = State::Ready;
    // A row saved while the reading ran may have been read before its save.
    for (const SessionEntry& saved : m_savedWhileReading)
        update(saved);
    m_savedWhileReading.clear();
    // The views take the entries first, so that the window fits its columns to them once ready.
    emit entriesChanged();
    emit stateChanged();
}

void SessionOverview::setFilter(const SessionFilter& filter) {
    m_filter = filter;
    emit filterChanged();
}

void SessionOverview::Order(std::vector<SessionEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const SessionEntry& x, const SessionEntry& y) {
        if (x.dated() != y.dated())
            return x.dated();
        if (!x.dated())
            return x.group() != y.group() ? x.group() < y.group() : x.row < y.row;
        if (x.clash.date != y.clash.date)
            return x.clash.date < y.clash.date;
        if (x.start != y.start)
            return x.start < y.start;
        if (x.group() != y.group())
            return x.group() < y.group();
        return x.discipline() < y.discipline();
    });
}

bool SessionOverview::update(const SessionEntry& saved) {
    if (saved.key().isEmpty())
        return false;
    for (SessionEntry& entry : m_entries) {
        if (entry.key() == saved.key()) {
            entry = saved;
            Order(m_entries);
            emit entriesChanged();
            return true;
        }
    }
    return false;
}

void SessionOverview::follow(TDM_MB& data, ScheduleEditor& editor) {
    m_data = &data;
    m_editor = &editor;
    connect(data.ADOQ_RatingTable, &DataSet::posted, this, &SessionOverview::schedulePosted);
}

void SessionOverview::schedulePosted() {
    const Query& schedule = *m_data->ADOQ_RatingTable;
    if (schedule.recNo() <= 0 || m_editor->faculty().keyValue() != m_scope.faculty ||
        ClashPass::Period(m_editor->year().keyValue(), m_editor->semester().keyValue()) != period())
        return;
    const SessionEntry saved =
        SessionRead::EntryOfRecord(schedule, schedule.recNo() - 1, period(),
                                   m_editor->group().keyValue().toString(), m_editor->group().shownText());
    if (m_state == State::Reading)
        m_savedWhileReading.push_back(saved);
    else
        update(saved);
}

void SessionOverview::setClashes(const ClashWatch* clashes) {
    if (m_clashes != nullptr)
        disconnect(m_clashes, nullptr, this, nullptr);
    m_clashes = clashes;
    if (clashes != nullptr)
        connect(clashes, &ClashWatch::knownChanged, this, &SessionOverview::clashesChanged);
    emit clashesChanged();
}

std::vector<Clash> SessionOverview::clashesOf(const SessionEntry& entry) const {
    return m_clashes == nullptr ? std::vector<Clash>() : m_clashes->clashesOf(entry.clash);
}
