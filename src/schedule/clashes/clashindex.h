#pragma once

#include "clashentry.h"
#include "clashrules.h"

#include <QHash>
#include <QString>

#include <array>
#include <vector>

struct Clash {
    ClashKind kind;
    ClashEntry other;
};

// How many clashes of each kind an entry has (indexed by ClashKind).
using ClashCounts = std::array<int, 3>;

// The entries of one year and semester, each filed under what the clash rules compare: its sitting
// (period, date, start time and room), its examiner's sitting (period, date, start time and
// examiner) and its group's day (period, date and group). An entry's clashes are found among the
// entries filed with it, so asking costs what it finds, however large a group or a day is.
class ClashIndex {
public:
    ClashIndex() = default;
    explicit ClashIndex(std::vector<ClashEntry> entries);

    std::size_t size() const { return m_entries.size(); }
    // The clashes of an entry with the known entries other than itself (same key), by kind and then
    // in the order the entries were read: at most `limit` of each kind (all when negative). `counts`,
    // when given, receives how many of each kind there are in all.
    std::vector<Clash> clashesOf(const ClashEntry& entry, int limit = -1,
                                 ClashCounts* counts = nullptr) const;
    // Puts a saved entry in place of the known one with its key, or adds it when none has it.
    void update(const ClashEntry& entry);

private:
    // What the rules compare of an entry, worked out once; empty texts where an entry has nothing to
    // compare (no date, no start time, no room, no examiner, no group).
    struct Keys {
        QString sitting;  // period, day, start, room
        QString examiner; // period, day, start, examiner
        QString groupDay; // period, day, group
        QString room;
    };
    static Keys KeysOf(const ClashEntry& entry);
    // The keys of an entry to be filed: equal keys share their characters.
    Keys filedKeysOf(const ClashEntry& entry);
    void share(QString& text);
    void file(std::size_t index);
    void unfile(std::size_t index);

    std::vector<ClashEntry> m_entries;
    std::vector<Keys> m_keys;
    QHash<QString, std::vector<std::size_t>> m_bySitting;
    QHash<QString, std::vector<std::size_t>> m_byExaminer;
    QHash<QString, std::vector<std::size_t>> m_byGroupDay;
    QHash<QString, std::size_t> m_byKey;
    QHash<QString, QString> m_texts;
};
