#pragma once

#include "clashentry.h"
#include "clashrules.h"

#include <QHash>
#include <QString>

#include <vector>

struct Clash {
    ClashKind kind;
    ClashEntry other;
};

// The entries of one year and semester, grouped by date, so that an entry's clashes are found
// among the entries of its day only.
class ClashIndex {
public:
    ClashIndex() = default;
    explicit ClashIndex(std::vector<ClashEntry> entries);

    std::size_t size() const { return m_entries.size(); }
    // The clashes of an entry with the known entries other than itself (same key), by kind and then
    // in the order the entries were read.
    std::vector<Clash> clashesOf(const ClashEntry& entry) const;
    // Puts a saved entry in place of the known one with its key, or adds it when none has it.
    void update(const ClashEntry& entry);

private:
    void place(std::size_t index);

    std::vector<ClashEntry> m_entries;
    QHash<qint64, std::vector<std::size_t>> m_byDay; // Julian day → entries of that day
    QHash<QString, std::size_t> m_byKey;
};
