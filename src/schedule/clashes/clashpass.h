#pragma once

#include "clashentry.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

class Connection;
struct ColumnInfo;

// One pass over the schedules of every group of a year and semester, through the database objects
// the program already uses: the groups from RatingView, each group's entries from GetRatingTable.
class ClashPass {
public:
    // Where the fields of an entry are in a result of GetRatingTable; -1 for a missing column.
    struct Columns {
        int discipline = -1;
        int examiner = -1;
        int time = -1;
        int date = -1;
        int room = -1;
        int key = -1;
    };
    static Columns Locate(const QList<ColumnInfo>& columns);
    // The index of the column of that name (in any case), or -1.
    static int ColumnOf(const QList<ColumnInfo>& columns, const char* name);
    // An entry from a result row; cell(i) gives the row's value of column i.
    static ClashEntry Entry(const Columns& columns, const std::function<QVariant(int)>& cell);
    // "year/semester": the period of the entries of these keys.
    static QString Period(const QVariant& year, const QVariant& semester);

    static QString GroupsStatement();
    static QString ScheduleStatement();

    // Reads every entry of the year and semester on an open connection. cancelled is asked before
    // each statement; when it answers true the pass stops and returns what it has read. Raises the
    // data layer's errors.
    static std::vector<ClashEntry> Read(Connection& connection, const QVariant& year,
                                        const QVariant& semester, const std::function<bool()>& cancelled);
};
