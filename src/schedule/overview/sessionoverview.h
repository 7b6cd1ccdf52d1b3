#pragma once

#include "schedule/backgroundread.h"
#include "schedule/clashes/clashindex.h"
#include "sessionentry.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class ClashWatch;
class ScheduleEditor;
class TDM_MB;

// What the filter boxes hold: parts of the group's, the examiner's and the room's texts (case and
// surrounding blanks ignored); an empty part lets every entry through.
struct SessionFilter {
    QString group;
    QString examiner;
    QString room;

    bool isEmpty() const;
    bool matches(const SessionEntry& entry) const;
    bool matchesGroup(const QString& group) const;
};

// A faculty's whole session in a year and semester, without widgets: read on a second connection
// of its own on a worker thread (the user's connection string, as the clash pass does), then kept
// current with the rows saved in the main window. Its entries are kept in the order the views
// show them (see Order), so that a view only picks the entries that pass its filter.
class SessionOverview : public QObject {
    Q_OBJECT

public:
    // The keys the reading uses and the texts the heading shows.
    struct Scope {
        QVariant year;
        QVariant semester;
        QVariant faculty;
        QString yearText;
        QString semesterText;
        QString facultyText;
    };
    enum class State { Reading, Ready, Failed };

    // Reads on a connection of its own with these settings (see ReadingConnection::Of).
    SessionOverview(Scope scope, ReadingConnection connection, QObject* parent = nullptr);
    // databaseFolder: where the embedded engine finds its database, as for the main connection.
    SessionOverview(Scope scope, const QString& connectionString, int commandTimeout,
                    const QString& databaseFolder, QObject* parent = nullptr);
    ~SessionOverview() override;

    // The year, semester and faculty chosen in the editor, with their shown texts.
    static Scope ScopeOf(ScheduleEditor& editor);

    // Starts reading: at first, and again after a failure. Nothing while a reading runs.
    void read();
    State state() const { return m_state; }
    // After a failure: what went wrong, for the user.
    const QString& errorText() const { return m_error; }
    // How many groups are read and how many there are; 0 of 0 until the groups are known.
    int groupsRead() const { return m_done; }
    int groupCount() const { return m_total; }

    const Scope& scope() const { return m_scope; }
    QString period() const;
    const std::vector<SessionGroup>& groups() const { return m_groups; }
    const std::vector<SessionEntry>& entries() const { return m_entries; }
    // Orders entries as the overview keeps them: the dated ones by date, start time, group and
    // discipline, then the undated ones by group and their place in its schedule.
    static void Order(std::vector<SessionEntry>& entries);

    const SessionFilter& filter() const { return m_filter; }
    void setFilter(const SessionFilter& filter);

    // Follows the rows saved in the editor: one of this faculty's session takes the place of the
    // entry with its key, without reading anything again.
    void follow(TDM_MB& data, ScheduleEditor& editor);
    // Puts a saved entry in place of the one with its key; false when none has it.
    bool update(const SessionEntry& saved);

    // Where the clash marks come from: the main window's clash warnings.
    void setClashes(const ClashWatch* clashes);
    std::vector<Clash> clashesOf(const SessionEntry& entry) const;

    // Why a reading failed: the connection did not open, was lost during the reading, or a
    // statement was refused.
    using Failure = BackgroundRead::Failure;
    // The text of a failed reading for the user: what happened in Russian, the engine's own text
    // in brackets, and what to do.
    static QString FailureText(Failure failure, const QString& reason);

signals:
    void progressed(int done, int total);
    // Reading began, ended or failed.
    void stateChanged();
    // The entries were read, or one of them changed.
    void entriesChanged();
    void filterChanged();
    // The clash marks may have changed.
    void clashesChanged();

private:
    struct Job;

    void finished(const std::shared_ptr<Job>& job, Failure failure, const QString& error);
    void schedulePosted();

    Scope m_scope;
    ReadingConnection m_connection;
    State m_state = State::Ready;
    QString m_error;
    int m_done = 0;
    int m_total = 0;
    std::vector<SessionGroup> m_groups;
    std::vector<SessionEntry> m_entries;
    SessionFilter m_filter;
    std::shared_ptr<Job> m_job;
    // Rows saved while a reading runs, put in place once it ends.
    std::vector<SessionEntry> m_savedWhileReading;
    const ClashWatch* m_clashes = nullptr;
    TDM_MB* m_data = nullptr;
    ScheduleEditor* m_editor = nullptr;
};
