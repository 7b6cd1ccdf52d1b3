#pragma once

#include "clashentry.h"

#include <QString>

#include <vector>

enum class ClashKind {
    Room,     // the same room at the same date and start time, not one joint sitting
    Examiner, // the same examiner at the same date and start time in two different rooms
    BusyDay,  // the same group with two controls on the same date
};

// The rules by which two schedule entries clash. Only dated entries of one year and semester clash.
class ClashRules {
public:
    // The start of a time text as "hh:mm" ("9:00", "09.00", "9-00", "9ч", "9 ч 30", "9:00-10:30");
    // a text that does not read as a time gives itself, trimmed, folded to lower case and marked
    // with a leading "~"; an empty text gives an empty key (no time to compare).
    static QString StartKey(const QString& time);
    // A room, trimmed and folded to lower case; empty when no room is given.
    static QString RoomKey(const QString& room);
    // An examiner, likewise.
    static QString ExaminerKey(const QString& examiner);
    // Several groups taking one examination together: the same examiner with the same discipline.
    static bool JointSitting(const ClashEntry& a, const ClashEntry& b);
    // How entry a clashes with entry b (another entry), in the order of ClashKind.
    static std::vector<ClashKind> Between(const ClashEntry& a, const ClashEntry& b);
};
