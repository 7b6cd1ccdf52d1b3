#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QString>

#include <vector>

class SessionOverview;
struct SessionEntry;

// The overview's day table: one column per day on which an entry that passes the filter is
// dated, one row per group of the faculty that passes the group filter (with an examiner or room
// filter, only the groups with such an entry), each cell the start time and discipline of that
// group's controls of that day, one a line in order of time. A cell with a clash is tinted, the
// tooltip listing its controls and their clashes as the main window's grid does.
class SessionDayModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The index in SessionOverview::entries() of the first control of a cell; none for an empty one.
    static constexpr int EntryRole = Qt::UserRole + 1;

    explicit SessionDayModel(const SessionOverview& overview, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QDate day(int column) const { return m_days[column]; }
    const QString& groupName(int row) const;
    // The entries of a cell (indices into the overview's entries), in order of time.
    const std::vector<int>& cellEntries(int row, int column) const;

    // "пн 12.01.2026" (the weekday in Russian whatever the locale).
    static QString DayTitle(const QDate& day);
    // A control's line in a cell: "09:00 Базы данных".
    static QString CellLine(const SessionEntry& entry);

private:
    void rebuild();

    const SessionOverview& m_overview;
    std::vector<QDate> m_days;
    std::vector<int> m_groups;             // indices into the overview's groups
    std::vector<std::vector<int>> m_cells; // row * days + column
};
