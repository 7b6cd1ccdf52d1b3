#include "clashindex.h"

#include <algorithm>

ClashIndex::ClashIndex(std::vector<ClashEntry> entries) : m_entries(std::move(entries)) {
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        place(i);
        if (!m_entries[i].key.isEmpty())
            m_byKey.insert(m_entries[i].key, i);
    }
}

void ClashIndex::place(std::size_t index) {
    if (m_entries[index].date.isValid())
        m_byDay[m_entries[index].date.toJulianDay()].push_back(index);
}

std::vector<Clash> ClashIndex::clashesOf(const ClashEntry& entry) const {
    std::vector<Clash> clashes;
    if (!entry.date.isValid())
        return clashes;
    const auto day = m_byDay.constFind(entry.date.toJulianDay());
    if (day == m_byDay.constEnd())
        return clashes;
    for (std::size_t index : *day)
        for (ClashKind kind : ClashRules::Between(entry, m_entries[index]))
            clashes.push_back({kind, m_entries[index]});
    std::stable_sort(clashes.begin(), clashes.end(),
                     [](const Clash& a, const Clash& b) { return a.kind < b.kind; });
    return clashes;
}

void ClashIndex::update(const ClashEntry& entry) {
    const auto known = entry.key.isEmpty() ? m_byKey.constEnd() : m_byKey.constFind(entry.key);
    if (known == m_byKey.constEnd()) {
        m_entries.push_back(entry);
        place(m_entries.size() - 1);
        if (!entry.key.isEmpty())
            m_byKey.insert(entry.key, m_entries.size() - 1);
        return;
    }
    const std::size_t index = *known;
    if (m_entries[index].date.isValid()) {
        std::vector<std::size_t>& day = m_byDay[m_entries[index].date.toJulianDay()];
        day.erase(std::remove(day.begin(), day.end(), index), day.end());
    }
    m_entries[index] = entry;
    if (entry.date.isValid()) {
        // Kept in reading order within the day.
        std::vector<std::size_t>& day = m_byDay[entry.date.toJulianDay()];
        day.insert(std::lower_bound(day.begin(), day.end(), index), index);
    }
}
