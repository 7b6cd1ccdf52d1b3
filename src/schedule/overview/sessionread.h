#pragma once

#include "sessionentry.h"

#include <QHash>
#include <QVariant>

#include <functional>
#include <vector>

class Connection;
class Query;

// Reading a faculty's whole session through the objects the program already uses: the faculty's
// groups from RatingView, each group's schedule from GetRatingTable, the names of the control types
// from TypeControl.
class SessionRead {
public:
    struct Result {
        std::vector<SessionGroup> groups;  // ordered by name
        std::vector<SessionEntry> entries; // by group, each group's in its result's order
    };
    // Told after each group: how many are read and how many there are.
    using Progress = std::function<void(int done, int total)>;

    static QString GroupsStatement();
    static QString TypesStatement();

    // Reads the session of a faculty in a year and semester on an open connection. cancelled is
    // asked before each statement; when it answers true the reading stops and returns what it has.
    // Raises the data layer's errors.
    static Result Read(Connection& connection, const QVariant& year, const QVariant& semester,
                       const QVariant& faculty, const std::function<bool()>& cancelled,
                       const Progress& progress = {});

    // An entry of the schedule dataset's record (0-based), as a read would give it: the group's key
    // and name, and the period of the year and semester keys.
    static SessionEntry EntryOfRecord(const Query& schedule, int record, const QString& period,
                                      const QString& groupKey, const QString& groupName);
};
