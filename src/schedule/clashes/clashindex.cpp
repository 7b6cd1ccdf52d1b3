#include "clashindex.h"

#include <algorithm>

namespace {

// The bucket's entries in reading order; the entry goes in at its place.
void Insert(std::vector<std::size_t>& bucket, std::size_t index) {
    bucket.insert(std::lower_bound(bucket.begin(), bucket.end(), index), index);
}

// The number of a key, numbering a new one; -1 for an empty key.
int Number(QHash<QString, int>& numbers, const QString& key) {
    if (key.isEmpty())
        return -1;
    const auto found = numbers.constFind(key);
    if (found != numbers.constEnd())
        return *found;
    const int number = static_cast<int>(numbers.size());
    numbers.insert(key, number);
    return number;
}

// The number of a key known already; -1 for an empty or unknown one.
int Known(const QHash<QString, int>& numbers, const QString& key) {
    return key.isEmpty() ? -1 : numbers.value(key, -1);
}

// The rules' key of a text, read once for each text.
QString KeyOfText(QHash<QString, QString>& keys, const QString& text, QString (*make)(const QString&)) {
    auto found = keys.constFind(text);
    if (found == keys.constEnd())
        found = keys.insert(text, make(text));
    return *found;
}

} // namespace

ClashIndex::ClashIndex(std::vector<ClashEntry> entries) : m_entries(std::move(entries)) {
    m_keys.reserve(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        m_keys.push_back(filedKeysOf(m_entries[i]));
        file(i);
        if (!m_entries[i].key.isEmpty())
            m_byKey.insert(m_entries[i].key, i);
    }
}

ClashIndex::Keys ClashIndex::filedKeysOf(const ClashEntry& entry) {
    Keys keys;
    if (!entry.date.isValid())
        return keys;
    keys.period = Number(m_periods, entry.period);
    keys.day = entry.date.toJulianDay();
    keys.start = Number(m_starts, KeyOfText(m_startOfText, entry.time, &ClashRules::StartKey));
    keys.room = Number(m_rooms, KeyOfText(m_roomOfText, entry.room, &ClashRules::RoomKey));
    keys.examiner =
        Number(m_examiners, KeyOfText(m_examinerOfText, entry.examiner, &ClashRules::ExaminerKey));
    keys.group = Number(m_groups, entry.groupKey);
    return keys;
}

ClashIndex::Keys ClashIndex::askedKeysOf(const ClashEntry& entry) const {
    Keys keys;
    if (!entry.date.isValid())
        return keys;
    keys.period = Known(m_periods, entry.period);
    keys.day = entry.date.toJulianDay();
    keys.start = Known(m_starts, ClashRules::StartKey(entry.time));
    keys.room = Known(m_rooms, ClashRules::RoomKey(entry.room));
    keys.examiner = Known(m_examiners, ClashRules::ExaminerKey(entry.examiner));
    keys.group = Known(m_groups, entry.groupKey);
    return keys;
}

const std::vector<std::size_t>* ClashIndex::Bucket(const Buckets& buckets, const Keys& keys, int first,
                                                   int second) {
    if (!keys.dated() || first < 0)
        return nullptr;
    const auto bucket = buckets.constFind(Place{keys.period, keys.day, first, second});
    return bucket == buckets.constEnd() ? nullptr : &*bucket;
}

void ClashIndex::file(std::size_t index) {
    const Keys& keys = m_keys[index];
    if (!keys.dated())
        return;
    if (keys.start >= 0 && keys.room >= 0)
        Insert(m_bySitting[Place{keys.period, keys.day, keys.start, keys.room}], index);
    if (keys.start >= 0 && keys.examiner >= 0)
        Insert(m_byExaminer[Place{keys.period, keys.day, keys.start, keys.examiner}], index);
    if (keys.group >= 0)
        Insert(m_byGroupDay[Place{keys.period, keys.day, keys.group, -1}], index);
}

void ClashIndex::unfile(std::size_t index) {
    const Keys& keys = m_keys[index];
    if (!keys.dated())
        return;
    const auto remove = [index](Buckets& buckets, const Place& place) {
        const auto bucket = buckets.find(place);
        if (bucket == buckets.end())
            return;
        bucket->erase(std::remove(bucket->begin(), bucket->end(), index), bucket->end());
        if (bucket->empty())
            buckets.erase(bucket);
    };
    if (keys.start >= 0 && keys.room >= 0)
        remove(m_bySitting, Place{keys.period, keys.day, keys.start, keys.room});
    if (keys.start >= 0 && keys.examiner >= 0)
        remove(m_byExaminer, Place{keys.period, keys.day, keys.start, keys.examiner});
    if (keys.group >= 0)
        remove(m_byGroupDay, Place{keys.period, keys.day, keys.group, -1});
}

std::vector<Clash> ClashIndex::clashesOf(const ClashEntry& entry, int limit, ClashCounts* counts) const {
    std::vector<Clash> clashes;
    ClashCounts found{0, 0, 0};
    const Keys keys = askedKeysOf(entry);
    const auto self = [&](std::size_t index) {
        return !entry.key.isEmpty() && m_entries[index].key == entry.key;
    };
    const auto take = [&](ClashKind kind, std::size_t index) {
        int& count = found[static_cast<std::size_t>(kind)];
        if (limit < 0 || count < limit)
            clashes.push_back({kind, m_entries[index]});
        ++count;
    };
    // The same room at the same start, unless it is one sitting of several groups.
    if (keys.start >= 0)
        if (const auto* bucket = Bucket(m_bySitting, keys, keys.start, keys.room))
            for (std::size_t index : *bucket)
                if (!self(index) && !ClashRules::JointSitting(entry, m_entries[index]))
                    take(ClashKind::Room, index);
    // The same examiner at the same start in another room. A room no filed entry has is another
    // room than every filed one's.
    const bool hasRoom = !ClashRules::RoomKey(entry.room).isEmpty();
    if (keys.start >= 0 && hasRoom)
        if (const auto* bucket = Bucket(m_byExaminer, keys, keys.start, keys.examiner))
            for (std::size_t index : *bucket)
                if (!self(index) && m_keys[index].room >= 0 && m_keys[index].room != keys.room)
                    take(ClashKind::Examiner, index);
    // The group's other controls of the day: counted from the bucket's size, listed up to the limit.
    if (const auto* bucket = Bucket(m_byGroupDay, keys, keys.group, -1)) {
        int& count = found[static_cast<std::size_t>(ClashKind::BusyDay)];
        for (std::size_t index : *bucket) {
            if (self(index))
                continue;
            if (limit >= 0 && count >= limit) {
                const auto known = entry.key.isEmpty() ? m_byKey.constEnd() : m_byKey.constFind(entry.key);
                const bool inBucket = known != m_byKey.constEnd() && m_keys[*known].dated() &&
                                      m_keys[*known].period == keys.period &&
                                      m_keys[*known].day == keys.day && m_keys[*known].group == keys.group;
                count = static_cast<int>(bucket->size()) - (inBucket ? 1 : 0);
                break;
            }
            clashes.push_back({ClashKind::BusyDay, m_entries[index]});
            ++count;
        }
    }
    if (counts)
        *counts = found;
    return clashes;
}

void ClashIndex::update(const ClashEntry& entry) {
    const auto known = entry.key.isEmpty() ? m_byKey.constEnd() : m_byKey.constFind(entry.key);
    if (known == m_byKey.constEnd()) {
        m_entries.push_back(entry);
        m_keys.push_back(filedKeysOf(entry));
        file(m_entries.size() - 1);
        if (!entry.key.isEmpty())
            m_byKey.insert(entry.key, m_entries.size() - 1);
        return;
    }
    const std::size_t index = *known;
    unfile(index);
    m_entries[index] = entry;
    m_keys[index] = filedKeysOf(entry);
    file(index);
}
