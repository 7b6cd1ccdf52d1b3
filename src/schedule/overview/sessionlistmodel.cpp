#include "sessionlistmodel.h"

#include "schedule/clashes/clashwatch.h"
#include "sessionoverview.h"

#include <QLocale>

#include <algorithm>

SessionListModel::SessionListModel(const SessionOverview& overview, Part part, QObject* parent)
    : QAbstractTableModel(parent), m_overview(overview), m_part(part) {
    connect(&overview, &SessionOverview::entriesChanged, this, &SessionListModel::rebuild);
    connect(&overview, &SessionOverview::filterChanged, this, &SessionListModel::rebuild);
    connect(&overview, &SessionOverview::clashesChanged, this, [this] {
        if (!m_rows.empty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1),
                             {Qt::BackgroundRole, Qt::ToolTipRole});
    });
    rebuild();
}

void SessionListModel::rebuild() {
    beginResetModel();
    m_rows.clear();
    const std::vector<SessionEntry>& entries = m_overview.entries();
    const SessionFilter& filter = m_overview.filter();
    const bool dated = m_part == Part::Dated;
    // The overview keeps its entries in the list's order.
    for (int i = 0; i < static_cast<int>(entries.size()); ++i)
        if (entries[i].dated() == dated && filter.matches(entries[i]))
            m_rows.push_back(i);
    endResetModel();
}

int SessionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SessionListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const SessionEntry& SessionListModel::entryAt(int row) const {
    return m_overview.entries()[m_rows[row]];
}

int SessionListModel::rowOfEntry(int entry) const {
    const auto found = std::find(m_rows.begin(), m_rows.end(), entry);
    return found == m_rows.end() ? -1 : static_cast<int>(found - m_rows.begin());
}

QString SessionListModel::ColumnTitle(int column) {
    static const char* const titles[ColumnCount] = {"Дата",       "Время",          "Группа",
                                                    "Дисциплина", "Форма контроля", "Экзаменатор",
                                                    "Аудитория",  "Вид контроля"};
    return column >= 0 && column < ColumnCount ? QString::fromUtf8(titles[column]) : QString();
}

QString SessionListModel::CellText(const SessionEntry& entry, int column) {
    switch (column) {
    case Date:
        return entry.dated() ? QLocale().toString(entry.clash.date, QLocale::ShortFormat) : QString();
    case Time:
        return entry.clash.time.trimmed();
    case Group:
        return entry.clash.group;
    case Discipline:
        return entry.clash.discipline;
    case Form:
        return entry.form;
    case Examiner:
        return entry.clash.examiner;
    case Room:
        return entry.clash.room.trimmed();
    case Type:
        return entry.type;
    default:
        return QString();
    }
}

QString SessionListModel::MarkedField(int column) {
    switch (column) {
    case Date:
        return QStringLiteral("Date_1");
    case Time:
        return QStringLiteral("Time_1");
    case Room:
        return QStringLiteral("Audience_1");
    case Examiner:
        return QStringLiteral("t_fio");
    default:
        return QString();
    }
}

QVariant SessionListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const SessionEntry& entry = entryAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return CellText(entry, index.column());
    case EntryRole:
        return m_rows[index.row()];
    case DateTimeRole:
        return entry.dateTime;
    case Qt::BackgroundRole:
    case Qt::ToolTipRole: {
        const QString field = MarkedField(index.column());
        if (field.isEmpty() || !entry.dated())
            return QVariant();
        const CellMark mark = ClashWatch::MarkOf(m_overview.clashesOf(entry), field);
        if (mark.isEmpty())
            return QVariant();
        return role == Qt::BackgroundRole ? QVariant(mark.tint) : QVariant(mark.toolTip);
    }
    default:
        return QVariant();
    }
}

QVariant SessionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return ColumnTitle(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
