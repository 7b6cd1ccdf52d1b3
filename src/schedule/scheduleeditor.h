#pragma once

#include "lookupselector.h"
#include "typingtimestamp.h"

#include <QObject>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class DataSet;
class Query;
class TDM_MB;
class UserShell;

// The schedule editor without its window: the four cascading selectors with their click handlers,
// the schedule's saving and the Save button's state, and the questions that keep an unsaved change
// from being lost. Click handlers raise the data layer's errors; the window shows them.
class ScheduleEditor : public QObject {
    Q_OBJECT

public:
    ScheduleEditor(TDM_MB& data, UserShell& shell, QObject* parent = nullptr);
    ~ScheduleEditor() override;

    // Once the user is signed in: from now on a statement that finds the connection lost reopens it
    // once with the user's connection string and sets the session's date format again.
    void startSession();

    LookupSelector& year() { return m_year; }
    LookupSelector& semester() { return m_semester; }
    LookupSelector& faculty() { return m_faculty; }
    LookupSelector& group() { return m_group; }

    // The click handlers; each selector runs its own on a pick. Year, semester and faculty: close
    // the schedule, clear and disable the selectors below, stop on their own Null key, else
    // re-query the next list with the keys chosen so far, sort it and enable its selector. Group:
    // nothing on Null, else the schedule reopened for the four keys. An error ends the handler at
    // its step.
    void yearPicked();
    void semesterPicked();
    void facultyPicked();
    void groupPicked();

    // Shows a group's schedule as the user's own picks would: each selector from the year down whose
    // key differs is picked (its click handler runs, asking about an unsaved change), the group
    // last. Then the record with this schedule key (or, without one, the record at row) becomes
    // current. False when a pick did not take (the key is not in its list, or a save refused);
    // raises the data layer's errors.
    bool showEntry(const QVariant& year, const QVariant& semester, const QVariant& faculty,
                   const QString& groupKey, const QString& scheduleKey, int row);

    // The Save button: posts the schedule, nothing else. A post that fails with the connection lost or
    // refused raises DataError with LostConnectionOnSaveText; the values stay in the row.
    void save();
    // "Строка не сохранена: связь с сервером прервалась (REASON). …" with what to do next.
    static QString LostConnectionOnSaveText(const QString& reason);
    bool saveEnabled() const { return m_saveEnabled; }
    // The button the state goes to: enabled after a row enters edit, disabled after a post and
    // whenever no row is in edit.
    void setSaveButton(std::function<void(bool enabled)> saveButton);

    // Whether the grid holds typed input not yet written into the row's field.
    void setPendingInputCheck(std::function<bool()> pendingInput) {
        m_pendingInput = std::move(pendingInput);
    }
    // A row in edit whose values changed, or typed input not yet written.
    bool hasUnsavedChange() const;

    // Asked before the window closes: with an unsaved change, "Сохранить изменения?" with Yes, No
    // and Cancel. Yes posts (a failed post shows its error and keeps the window), No drops the
    // change, Cancel keeps the window. True when the window may close.
    bool closeQuery();

    static QString SaveChangesQuestion();

private:
    struct ListStep {
        LookupSelector& own;
        std::vector<LookupSelector*> clears;
        std::vector<LookupSelector*> disables;
        Query* next;
        std::vector<std::pair<const char*, LookupSelector*>> parameters;
        const char* sort;
        LookupSelector& enables;
    };

    void runListStep(const ListStep& step);
    // Closes the schedule for a pick of the selector; with an unsaved change it asks first, and Yes
    // posts. False, with the error shown and the pick undone, when that post fails.
    bool closeSchedule(LookupSelector& picked);
    // Opens a list or the schedule. A connection lost while it ran is reopened once and the
    // statement sent again: reading twice does no harm.
    void openQuery(DataSet& query);
    void reopenConnection();
    void setSaveEnabled(bool enabled);
    void followScheduleState();

    TDM_MB& m_data;
    UserShell& m_shell;
    TypingTimestamp m_typing;
    LookupSelector m_year;
    LookupSelector m_semester;
    LookupSelector m_faculty;
    LookupSelector m_group;
    bool m_saveEnabled = false;
    std::function<void(bool)> m_saveButton;
    std::function<bool()> m_pendingInput;
    QString m_userConnectionString;
    int m_reopenings = 0;
};
