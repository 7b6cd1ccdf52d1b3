#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

class SessionOverview;
struct SessionEntry;

// The overview's list: the entries that pass the filter, either the dated ones ordered by date,
// start time, group and discipline, or the undated ones ordered by group and their place in the
// group's schedule. Clashes tint the cells as the main window's grid does, with the same tooltips.
class SessionListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Date, Time, Group, Discipline, Form, Examiner, Room, Type, ColumnCount };
    enum class Part { Dated, Undated };
    // The index of the row's entry in SessionOverview::entries().
    static constexpr int EntryRole = Qt::UserRole + 1;
    // The row's Date_1 as read (a QDateTime), for exports.
    static constexpr int DateTimeRole = Qt::UserRole + 2;

    SessionListModel(const SessionOverview& overview, Part part, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const SessionEntry& entryAt(int row) const;
    // The row of an entry (its index in the overview's entries); -1 when the list does not show it.
    int rowOfEntry(int entry) const;

    static QString ColumnTitle(int column);
    // The text of a cell of an entry.
    static QString CellText(const SessionEntry& entry, int column);
    // The field of the main window's grid whose clash marks a column shows; empty for none.
    static QString MarkedField(int column);

private:
    void rebuild();

    const SessionOverview& m_overview;
    Part m_part;
    std::vector<int> m_rows; // entry indices
};
