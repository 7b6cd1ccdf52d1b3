#include "sessionoverview.h"

#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "schedule/clashes/clashpass.h"
#include "schedule/clashes/clashwatch.h"
#include "schedule/scheduleeditor.h"
#include "sessionread.h"

#include <algorithm>
#include <chrono>
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
    std::shared_ptr<BackgroundRead> read;
    std::optional<SessionRead::Result> result; // set by the worker when the reading read everything
};

SessionOverview::SessionOverview(Scope scope, const QString& connectionString, int commandTimeout,
                                 const QString& databaseFolder, QObject* parent)
    : SessionOverview(std::move(scope), ReadingConnection{connectionString, commandTimeout, databaseFolder},
                      parent) {}

SessionOverview::SessionOverview(Scope scope, ReadingConnection connection, QObject* parent)
    : QObject(parent), m_scope(std::move(scope)), m_connection(std::move(connection)) {}

SessionOverview::~SessionOverview() {
    // A reading checks for its end before each statement, so it normally ends at once; one stuck in
    // a statement is left behind after a short wait.
    if (m_job)
        m_job->read->leave(std::chrono::steady_clock::now() + EndWait);
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
    case Failure::None: // no reading ends unread without a word; taken as refused
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
    m_job = job;
    const Scope scope = m_scope;
    job->read = BackgroundRead::Start(
        this, m_connection, QStringLiteral("SessionCon"),
        [this, job, scope](BackgroundRead& read, Connection& connection) {
            std::chrono::steady_clock::time_point told;
            SessionRead::Result result = SessionRead::Read(
                connection, scope.year, scope.semester, scope.faculty, [&read] { return read.cancelled(); },
                [this, &read, &told, job](int done, int total) {
                    // Each word to the GUI thread wakes it, taking a core from the reading: the
                    // first word, then one every ProgressStep.
                    const auto now = std::chrono::steady_clock::now();
                    if (done != 0 && done != total && now - told < ProgressStep)
                        return;
                    told = now;
                    read.post([this, job, done, total] {
                        if (m_job != job)
                            return;
                        m_done = done;
                        m_total = total;
                        emit progressed(done, total);
                    });
                });
            if (!read.cancelled()) {
                Order(result.entries);
                job->result.emplace(std::move(result));
            }
        },
        [this, job](BackgroundRead::Failure failure, const QString& error) {
            finished(job, failure, error);
        });
    emit stateChanged();
}

void SessionOverview::finished(const std::shared_ptr<Job>& job, BackgroundRead::Failure failure,
                               const QString& error) {
    if (job != m_job)
        return;
    m_job.reset();
    if (!job->result) {
        m_state = State::Failed;
        m_error = FailureText(failure, error);
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
