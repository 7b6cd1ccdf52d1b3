#include "clashindex.h"

#include <algorithm>

namespace {

// The bucket's entries in reading order; the entry goes in at its place.
void Insert(std::vector<std::size_t>& bucket, std::size_t index) {
    bucket.insert(std::lower_bound(bucket.begin(), bucket.end(), index), index);
}

void Remove(QHash<QString, std::vector<std::size_t>>& buckets, const QString& key, std::size_t index) {
    if (key.isEmpty())
        return;
    const auto bucket = buckets.find(key);
    if (bucket == buckets.end())
        return;
    bucket->erase(std::remove(bucket->begin(), bucket->end(), index), bucket->end());
    if (bucket->empty())
        buckets.erase(bucket);
}

const std::vector<std::size_t>* Bucket(const QHash<QString, std::vector<std::size_t>>& buckets,
                                       const QString& key) {
    if (key.isEmpty())
        return nullptr;
    const auto bucket = buckets.constFind(key);
    return bucket == buckets.constEnd() ? nullptr : &*bucket;
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

void ClashIndex::share(QString& text) {
    if (text.isEmpty())
        return;
    const auto known = m_texts.constFind(text);
    if (known != m_texts.constEnd())
        text = *known;
    else
        m_texts.insert(text, text);
}

ClashIndex::Keys ClashIndex::KeysOf(const ClashEntry& entry) {
    Keys keys;
    if (!entry.date.isValid())
        return keys;
    const QString day = entry.period + u'\x1f' + QString::number(entry.date.toJulianDay()) + u'\x1f';
    const QString start = ClashRules::StartKey(entry.time);
    keys.room = ClashRules::RoomKey(entry.room);
    const QString examiner = ClashRules::ExaminerKey(entry.examiner);
    if (!start.isEmpty() && !keys.room.isEmpty())
        keys.sitting = day + start + u'\x1f' + keys.room;
    if (!start.isEmpty() && !examiner.isEmpty())
        keys.examiner = day + start + u'\x1f' + examiner;
    if (!entry.groupKey.isEmpty())
        keys.groupDay = day + entry.groupKey;
    return keys;
}

ClashIndex::Keys ClashIndex::filedKeysOf(const ClashEntry& entry) {
    Keys keys = KeysOf(entry);
    share(keys.sitting);
    share(keys.examiner);
    share(keys.groupDay);
    share(keys.room);
    return keys;
}

void ClashIndex::file(std::size_t index) {
    const Keys& keys = m_keys[index];
    if (!keys.sitting.isEmpty())
        Insert(m_bySitting[keys.sitting], index);
    if (!keys.examiner.isEmpty())
        Insert(m_byExaminer[keys.examiner], index);
    if (!keys.groupDay.isEmpty())
        Insert(m_byGroupDay[keys.groupDay], index);
}

void ClashIndex::unfile(std::size_t index) {
    const Keys& keys = m_keys[index];
    Remove(m_bySitting, keys.sitting, index);
    Remove(m_byExaminer, keys.examiner, index);
    Remove(m_byGroupDay, keys.groupDay, index);
}

std::vector<Clash> ClashIndex::clashesOf(const ClashEntry& entry, int limit, ClashCounts* counts) const {
    std::vector<Clash> clashes;
    ClashCounts found{0, 0, 0};
    const Keys keys = KeysOf(entry);
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
    if (const auto* bucket = Bucket(m_bySitting, keys.sitting))
        for (std::size_t index : *bucket)
            if (!self(index) && !ClashRules::JointSitting(entry, m_entries[index]))
                take(ClashKind::Room, index);
    // The same examiner at the same start in another room.
    if (const auto* bucket = Bucket(m_byExaminer, keys.examiner))
        for (std::size_t index : *bucket)
            if (!self(index) && !m_keys[index].room.isEmpty() && !keys.room.isEmpty() &&
                m_keys[index].room != keys.room)
                take(ClashKind::Examiner, index);
    // The group's other controls of the day: counted from the bucket's size, listed up to the limit.
    if (const auto* bucket = Bucket(m_byGroupDay, keys.groupDay)) {
        int& count = found[static_cast<std::size_t>(ClashKind::BusyDay)];
        for (std::size_t index : *bucket) {
            if (self(index))
                continue;
            if (limit >= 0 && count >= limit) {
                const auto known = entry.key.isEmpty() ? m_byKey.constEnd() : m_byKey.constFind(entry.key);
                const bool inBucket = known != m_byKey.constEnd() && m_keys[*known].groupDay == keys.groupDay;
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
