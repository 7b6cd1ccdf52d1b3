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
    // What the rules compare of an entry, as numbers: each period, start time, room, examiner and
    // group the rules tell apart has one; -1 where an entry has nothing to compare.
    struct Keys {
        int period = -1;
        qint64 day = 0; // Julian day; 0 without a date
        int start = -1;
        int room = -1;
        int examiner = -1;
        int group = -1;

        bool dated() const { return day != 0 && period >= 0; }
    };
    // Where an entry is filed: its sitting (day, start, room), its examiner's sitting (day, start,
    // examiner) or its group's day (day, group); `second` is -1 where it is not used.
    struct Place {
        int period;
        qint64 day;
        int first;
        int second;
        bool operator==(const Place&) const = default;
    };
    friend size_t qHash(const Place& place, size_t seed) {
        return qHashMulti(seed, place.period, place.day, place.first, place.second);
    }
    using Buckets = QHash<Place, std::vector<std::size_t>>;

    // The keys of an entry to be filed, numbering what is new; of an entry asked about, -1 for what
    // no filed entry has.
    Keys filedKeysOf(const ClashEntry& entry);
    Keys askedKeysOf(const ClashEntry& entry) const;
    static const std::vector<std::size_t>* Bucket(const Buckets& buckets, const Keys& keys, int first,
                                                  int second);
    void file(std::size_t index);
    void unfile(std::size_t index);

    std::vector<ClashEntry> m_entries;
    std::vector<Keys> m_keys;
    Buckets m_bySitting;
    Buckets m_byExaminer;
    Buckets m_byGroupDay;
    QHash<QString, std::size_t> m_byKey;
    // The numbers of the rules' keys, and each text's key, so that a text repeated is read once.
    QHash<QString, int> m_periods;
    QHash<QString, int> m_starts;
    QHash<QString, int> m_rooms;
    QHash<QString, int> m_examiners;
    QHash<QString, int> m_groups;
    QHash<QString, QString> m_startOfText;
    QHash<QString, QString> m_roomOfText;
    QHash<QString, QString> m_examinerOfText;
};
