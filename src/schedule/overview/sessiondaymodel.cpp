#include "sessiondaymodel.h"

#include "schedule/clashes/clashwatch.h"
#include "sessionoverview.h"

#include <QColor>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <map>

SessionDayModel::SessionDayModel(const SessionOverview& overview, QObject* parent)
    : QAbstractTableModel(parent), m_overview(overview) {
    connect(&overview, &SessionOverview::entriesChanged, this, &SessionDayModel::rebuild);
    connect(&overview, &SessionOverview::filterChanged, this, &SessionDayModel::rebuild);
    connect(&overview, &SessionOverview::clashesChanged, this, [this] {
        if (rowCount() > 0 && columnCount() > 0)
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::BackgroundRole, Qt::ToolTipRole});
    });
    rebuild();
}

void SessionDayModel::rebuild() {
    beginResetModel();
    const std::vector<SessionEntry>& entries = m_overview.entries();
    const std::vector<SessionGroup>& groups = m_overview.groups();
    const SessionFilter& filter = m_overview.filter();
    const bool narrowed = !filter.examiner.trimmed().isEmpty() || !filter.room.trimmed().isEmpty();

    std::map<QDate, int> days;
    QHash<QString, std::vector<int>> byGroup;
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (!entries[i].dated() || !filter.matches(entries[i]))
            continue;
        days.emplace(entries[i].clash.date, 0);
        byGroup[entries[i].clash.groupKey].push_back(i);
    }
    m_days.clear();
    for (auto& [day, column] : days) {
        column = static_cast<int>(m_days.size());
        m_days.push_back(day);
    }
    m_groups.clear();
    for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
        if (!filter.matchesGroup(groups[g].name))
            continue;
        if (narrowed && !byGroup.contains(groups[g].key))
            continue;
        m_groups.push_back(g);
    }
    m_cells.assign(m_groups.size() * m_days.size(), {});
    // The overview keeps its entries in order of date and start time, so each cell is in order.
    for (std::size_t row = 0; row < m_groups.size(); ++row) {
        for (int i : byGroup.value(groups[m_groups[row]].key))
            m_cells[row * m_days.size() + days.at(entries[i].clash.date)].push_back(i);
    }
    endResetModel();
}

int SessionDayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_groups.size());
}

int SessionDayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_days.size());
}

const QString& SessionDayModel::groupName(int row) const {
    return m_overview.groups()[m_groups[row]].name;
}

const std::vector<int>& SessionDayModel::cellEntries(int row, int column) const {
    return m_cells[static_cast<std::size_t>(row) * m_days.size() + column];
}

QString SessionDayModel::DayTitle(const QDate& day) {
    return QLocale(QLocale::Russian).toString(day, QStringLiteral("ddd")) + u' ' +
           day.toString(QStringLiteral("dd.MM.yyyy"));
}

QString SessionDayModel::CellLine(const SessionEntry& entry) {
    const QString time = entry.clash.time.trimmed();
    return time.isEmpty() ? entry.clash.discipline : time + u' ' + entry.clash.discipline;
}

QVariant SessionDayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const std::vector<int>& cell = cellEntries(index.row(), index.column());
    if (cell.empty())
        return QVariant();
    const std::vector<SessionEntry>& entries = m_overview.entries();
    switch (role) {
    case Qt::DisplayRole: {
        QStringList lines;
        for (int i : cell)
            lines << CellLine(entries[i]);
        return lines.join(u'\n');
    }
    case EntryRole:
        return cell.front();
    case Qt::BackgroundRole:
    case Qt::ToolTipRole: {
        QStringList lines;
        bool strong = false;
        bool marked = false;
        for (int i : cell) {
            const SessionEntry& entry = entries[i];
            lines << CellLine(entry) + QStringLiteral(" — ") + entry.form + QStringLiteral(", ") +
                         entry.clash.examiner + QString::fromUtf8(", ауд. ") + entry.clash.room.trimmed();
            // The date column of the main window's grid shows every clash of an entry.
            const CellMark mark = ClashWatch::MarkOf(m_overview.clashesOf(entry), QStringLiteral("Date_1"));
            if (!mark.isEmpty()) {
                marked = true;
                strong = strong || mark.tint == ClashWatch::ClashTint();
                lines << mark.toolTip;
            }
        }
        if (role == Qt::ToolTipRole)
            return lines.join(u'\n');
        if (!marked)
            return QVariant();
        return QVariant(strong ? ClashWatch::ClashTint() : ClashWatch::BusyDayTint());
    }
    default:
        return QVariant();
    }
}

QVariant SessionDayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columnCount() ? DayTitle(m_days[section]) : QVariant();
    return section >= 0 && section < rowCount() ? QVariant(groupName(section)) : QVariant();
}
