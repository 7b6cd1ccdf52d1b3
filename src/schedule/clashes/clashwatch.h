#pragma once

#include "clashindex.h"
#include "clashpass.h"
#include "grid/celldecoration.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class BackgroundRead;
class ScheduleEditor;
class TDM_MB;

// Warns about the shown group's entries that clash with the rest of the schedule of the chosen year
// and semester. The first time a year and semester are chosen, one pass reads every group's
// entries on a second connection of its own, on a worker thread; the shown group's cells are marked
// when it ends, and again after each successful post. A pass that fails leaves no marks and no
// message; the next pick tries again. A new year or semester, or the end of the watch, abandons it.
class ClashWatch : public QObject, public CellDecoration {
    Q_OBJECT

public:
    // databaseFolder: where the embedded engine finds its database, as for the data module's
    // connection.
    ClashWatch(TDM_MB& data, ScheduleEditor& editor, const QString& databaseFolder,
               QObject* parent = nullptr);
    ~ClashWatch() override;

    CellMark cellMark(int record, const QString& fieldName) const override;

    // A pass is reading.
    bool passRunning() const;
    // The clashes of a record of the shown schedule, by kind.
    std::vector<Clash> clashesOfRecord(int record) const;

    static QColor ClashTint();
    static QColor BusyDayTint();
    static QColor ClashFrame();
    static QColor BusyDayFrame();
    // One line of a tooltip: what the clash is and the entry it clashes with.
    static QString ToolTipLine(const Clash& clash);
    // How many clashes of a kind a cell's tooltip lists; the rest are counted in a last line.
    static constexpr int ToolTipLimit = 10;
    // The mark of a cell showing this field of an entry with these clashes: the date shows all of
    // them, the time the two of the same hour, the room and the examiner their own. With `totals`
    // (how many of each kind there are in all), a kind of which fewer are listed ends with
    // "… и ещё N".
    static CellMark MarkOf(const std::vector<Clash>& clashes, const QString& fieldName,
                           const ClashCounts* totals = nullptr);

    // The clashes of any entry of a year and semester whose pass has read everything; none before.
    std::vector<Clash> clashesOf(const ClashEntry& entry) const;

signals:
    // The marks of the shown schedule changed.
    void marksChanged();
    // A pass ended, read in full or failed (then without marks); abandoned passes do not end.
    void passEnded(bool succeeded);
    // What clashesOf answers may have changed: a pass ended or a row was saved.
    void knownChanged();

private:
    struct Pass;
    // A record's clashes as its cells show them: the first few of each kind, and how many in all.
    struct RecordMarks {
        std::vector<Clash> clashes;
        ClashCounts counts{0, 0, 0};
    };
    // The index of the shown schedule's year and semester, when its pass has read everything and
    // the record is one of the schedule's.
    const ClashIndex* shownIndex(int record) const;
    const RecordMarks* marksOf(int record) const;

    void followSelection();
    void startPass(const QString& period);
    void abandonPass();
    void passFinished(const std::shared_ptr<Pass>& pass);
    void schedulePosted();
    void remark();
    QString currentPeriod() const;
    // An entry of the shown schedule; columns: where its fields are in the schedule's result.
    ClashEntry recordEntry(const ClashPass::Columns& columns, int record) const;

    TDM_MB& m_data;
    ScheduleEditor& m_editor;
    QString m_databaseFolder;
    QHash<QString, ClashIndex> m_known; // by period
    std::shared_ptr<Pass> m_running;
    std::vector<std::shared_ptr<BackgroundRead>> m_abandoned; // perhaps still reading
    // Per record of the shown schedule, worked out when first asked for; m_marksKnown: the shown
    // schedule's year and semester have been read.
    mutable std::vector<std::optional<RecordMarks>> m_marks;
    bool m_marksKnown = false;
    ClashPass::Columns m_columns;
};
