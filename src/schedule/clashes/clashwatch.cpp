#include "clashwatch.h"

#include "clashpass.h"
#include "data/connection.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "schedule/backgroundread.h"
#include "schedule/scheduleeditor.h"

#include <QLocale>
#include <QMetaObject>

#include <chrono>
#include <optional>

namespace {

// How long the end of the watch waits for a pass stuck in a statement (a slow server, a link lost
// without a word) before leaving it to end on its own.
constexpr std::chrono::milliseconds EndWait{1000};

} // namespace

struct ClashWatch::Pass {
    QString period;
    std::shared_ptr<BackgroundRead> read;
    std::optional<ClashIndex> index; // set by the worker when the pass read everything
    std::vector<ClashEntry> saved;   // rows posted while the pass reads (GUI thread only)
};

ClashWatch::ClashWatch(TDM_MB& data, ScheduleEditor& editor, const QString& databaseFolder, QObject* parent)
    : QObject(parent), m_data(data), m_editor(editor), m_databaseFolder(databaseFolder) {
    // Each list a pick opens, and the schedule itself, tell of a changed selection.
    for (DataSet* list : {static_cast<DataSet*>(data.ADOQ_Semester), static_cast<DataSet*>(data.ADOQ_Faculty),
                          static_cast<DataSet*>(data.ADOQ_Group)})
        connect(list, &DataSet::dataSetChanged, this, &ClashWatch::followSelection);
    connect(data.ADOQ_RatingTable, &DataSet::dataSetChanged, this, [this] {
        followSelection();
        remark();
    });
    connect(data.ADOQ_RatingTable, &DataSet::posted, this, &ClashWatch::schedulePosted);
}

ClashWatch::~ClashWatch() {
    abandonPass();
    // A pass checks for its end before each statement, so it normally ends at once; one stuck in a
    // statement is left behind after a short wait.
    const auto deadline = std::chrono::steady_clock::now() + EndWait;
    for (const std::shared_ptr<BackgroundRead>& read : m_abandoned)
        read->leave(deadline);
}

QString ClashWatch::currentPeriod() const {
    return ClashPass::Period(m_editor.year().keyValue(), m_editor.semester().keyValue());
}

bool ClashWatch::passRunning() const {
    return m_running != nullptr;
}

void ClashWatch::followSelection() {
    const QString period = currentPeriod();
    if (m_running && m_running->period != period)
        abandonPass();
    if (!period.isEmpty() && !m_running && !m_known.contains(period) && m_data.ADOCon->isOpen())
        startPass(period);
}

void ClashWatch::startPass(const QString& period) {
    // Passes abandoned earlier and ended since are forgotten here.
    std::erase_if(m_abandoned, [](const std::shared_ptr<BackgroundRead>& read) { return read->finished(); });
    auto pass = std::make_shared<Pass>();
    pass->period = period;
    m_running = pass;
    const QVariant year = m_editor.year().keyValue();
    const QVariant semester = m_editor.semester().keyValue();
    pass->read = BackgroundRead::Start(
        this, ReadingConnection::Of(m_data, m_databaseFolder), QStringLiteral("ClashCon"),
        [pass, year, semester](BackgroundRead& read, Connection& connection) {
            std::vector<ClashEntry> entries =
                ClashPass::Read(connection, year, semester, [&read] { return read.cancelled(); });
            if (!read.cancelled())
                pass->index.emplace(std::move(entries));
        },
        // A refused statement or a lost connection: the pass leaves no marks.
        [this, pass](BackgroundRead::Failure, const QString&) { passFinished(pass); });
}

void ClashWatch::abandonPass() {
    if (!m_running)
        return;
    m_running->read->cancel();
    m_abandoned.push_back(m_running->read);
    m_running.reset();
}

void ClashWatch::passFinished(const std::shared_ptr<Pass>& pass) {
    if (pass != m_running)
        return;
    m_running.reset();
    const bool succeeded = pass->index.has_value();
    if (succeeded) {
        // A row saved while the pass read may have been read before its save.
        for (const ClashEntry& saved : pass->saved)
            pass->index->update(saved);
        // Moved, not copied: a year's index is large, and the GUI thread waits for this.
        m_known[pass->period] = std::move(*pass->index);
        pass->index.reset();
        remark();
        emit knownChanged();
    }
    emit passEnded(succeeded);
}

ClashEntry ClashWatch::recordEntry(const ClashPass::Columns& columns, int record) const {
    const Query& schedule = *m_data.ADOQ_RatingTable;
    ClashEntry entry =
        ClashPass::Entry(columns, [&](int column) -> QVariant { return schedule.cellAt(record, column); });
    entry.period = currentPeriod();
    entry.groupKey = m_editor.group().keyValue().toString();
    return entry;
}

void ClashWatch::schedulePosted() {
    const Query& schedule = *m_data.ADOQ_RatingTable;
    if (schedule.recNo() > 0) {
        ClashEntry saved = recordEntry(ClashPass::Locate(schedule.columns()), schedule.recNo() - 1);
        saved.group = m_editor.group().keyIsNull() ? QString() : m_editor.group().shownText();
        const auto known = m_known.find(saved.period);
        if (known != m_known.end())
            known->update(saved);
        else if (m_running && m_running->period == saved.period)
            m_running->saved.push_back(saved);
    }
    remark();
    emit knownChanged();
}

std::vector<Clash> ClashWatch::clashesOf(const ClashEntry& entry) const {
    const auto known = m_known.constFind(entry.period);
    return known == m_known.constEnd() ? std::vector<Clash>() : known->clashesOf(entry);
}

void ClashWatch::remark() {
    // The marks of a record are worked out when it is first shown, not for every record at once:
    // a group of any size opens at once.
    const bool hadMarks = m_marksKnown;
    m_marks.clear();
    m_marksKnown = false;
    const Query& schedule = *m_data.ADOQ_RatingTable;
    if (schedule.isActive() && m_known.contains(currentPeriod())) {
        m_columns = ClashPass::Locate(schedule.columns());
        m_marksKnown = true;
    }
    if (hadMarks || m_marksKnown)
        emit marksChanged();
}

const ClashIndex* ClashWatch::shownIndex(int record) const {
    const Query& schedule = *m_data.ADOQ_RatingTable;
    if (!m_marksKnown || record < 0 || !schedule.isActive() || record >= schedule.recordCount())
        return nullptr;
    const auto known = m_known.constFind(currentPeriod());
    return known == m_known.constEnd() ? nullptr : &*known;
}

const ClashWatch::RecordMarks* ClashWatch::marksOf(int record) const {
    const ClashIndex* index = shownIndex(record);
    if (!index)
        return nullptr;
    const int records = m_data.ADOQ_RatingTable->recordCount();
    if (m_marks.size() != static_cast<std::size_t>(records))
        m_marks.assign(static_cast<std::size_t>(records), std::nullopt);
    std::optional<RecordMarks>& marks = m_marks[static_cast<std::size_t>(record)];
    if (!marks) {
        marks.emplace();
        marks->clashes = index->clashesOf(recordEntry(m_columns, record), ToolTipLimit, &marks->counts);
    }
    return &*marks;
}

std::vector<Clash> ClashWatch::clashesOfRecord(int record) const {
    const ClashIndex* index = shownIndex(record);
    return index ? index->clashesOf(recordEntry(m_columns, record)) : std::vector<Clash>();
}

QColor ClashWatch::ClashTint() {
    return QColor(255, 170, 170);
}

QColor ClashWatch::BusyDayTint() {
    return QColor(255, 236, 170);
}

QColor ClashWatch::ClashFrame() {
    return QColor(220, 0, 0);
}

QColor ClashWatch::BusyDayFrame() {
    return QColor(230, 160, 0);
}

QString ClashWatch::ToolTipLine(const Clash& clash) {
    const char* what = clash.kind == ClashKind::Room ? "Аудитория занята"
                       : clash.kind == ClashKind::Examiner ? "Экзаменатор в другой аудитории"
                                                           : "У группы в этот день ещё";
    const ClashEntry& other = clash.other;
    return QString::fromUtf8(what) + QStringLiteral(": ") + other.group + QStringLiteral(", ") +
           other.discipline + QStringLiteral(", ") + other.examiner + QString::fromUtf8(", ауд. ") +
           other.room.trimmed() + QStringLiteral(", ") +
           QLocale().toString(other.date, QLocale::ShortFormat) + u' ' + other.time.trimmed();
}

CellMark ClashWatch::cellMark(int record, const QString& fieldName) const {
    const RecordMarks* marks = marksOf(record);
    return marks ? MarkOf(marks->clashes, fieldName, &marks->counts) : CellMark();
}

CellMark ClashWatch::MarkOf(const std::vector<Clash>& clashes, const QString& fieldName,
                            const ClashCounts* totals) {
    CellMark mark;
    if (clashes.empty())
        return mark;
    const auto shows = [&](ClashKind kind) {
        if (fieldName.compare(QLatin1String("Date_1"), Qt::CaseInsensitive) == 0)
            return true;
        if (fieldName.compare(QLatin1String("Time_1"), Qt::CaseInsensitive) == 0)
            return kind != ClashKind::BusyDay;
        if (fieldName.compare(QLatin1String("Audience_1"), Qt::CaseInsensitive) == 0)
            return kind == ClashKind::Room;
        if (fieldName.compare(QLatin1String("t_fio"), Qt::CaseInsensitive) == 0)
            return kind == ClashKind::Examiner;
        return false;
    };
    QStringList lines;
    bool strong = false;
    ClashCounts listed{0, 0, 0};
    // After the last listed clash of a kind, how many more of it there are.
    const auto countRest = [&](std::size_t kind) {
        if (totals && listed[kind] > 0 && (*totals)[kind] > listed[kind])
            lines << QString::fromUtf8("… и ещё %1").arg((*totals)[kind] - listed[kind]);
    };
    std::size_t previous = listed.size();
    for (const Clash& clash : clashes) {
        if (!shows(clash.kind))
            continue;
        const auto kind = static_cast<std::size_t>(clash.kind);
        if (kind != previous && previous < listed.size())
            countRest(previous);
        previous = kind;
        strong = strong || clash.kind != ClashKind::BusyDay;
        lines << ToolTipLine(clash);
        ++listed[kind];
    }
    if (lines.isEmpty())
        return mark;
    countRest(previous);
    mark.tint = strong ? ClashTint() : BusyDayTint();
    mark.frame = strong ? ClashFrame() : BusyDayFrame();
    mark.toolTip = lines.join(u'\n');
    return mark;
}
