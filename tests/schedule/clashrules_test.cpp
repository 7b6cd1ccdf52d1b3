// The clash rules on pairs of schedule entries, and the index that finds an entry's clashes among
// the entries of its day.
#include "schedule/clashes/clashindex.h"
#include "schedule/clashes/clashrules.h"
#include "schedule/clashes/clashwatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

ClashEntry Entry(const char* key, const char* group, const char* discipline, const char* examiner,
                 const char* room, const char* time, QDate date, const char* period = "3/1") {
    ClashEntry entry;
    entry.key = QString::fromUtf8(key);
    entry.period = QString::fromUtf8(period);
    entry.groupKey = QString::fromUtf8(group);
    entry.group = entry.groupKey;
    entry.discipline = QString::fromUtf8(discipline);
    entry.examiner = QString::fromUtf8(examiner);
    entry.room = QString::fromUtf8(room);
    entry.time = QString::fromUtf8(time);
    entry.date = date;
    return entry;
}

const QDate Day(2026, 1, 14);
using Kinds = std::vector<ClashKind>;

struct PairCase {
    const char* name;
    ClashEntry a;
    ClashEntry b;
    Kinds expected;
};

} // namespace

TEST(ClashRulesTest, PairsOfEntries) {
    const PairCase cases[] = {
        {"joint sitting: one examiner, one discipline, several groups in one room",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g2", "Физика", "Кузнецов В. П.", "1-201", "09:00", Day),
         {}},
        {"room clash: two examiners in one room at one hour",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9:00", Day),
         {ClashKind::Room}},
        {"room clash: one examiner, two disciplines in one room",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g2", "Механика", "Кузнецов В. П.", "1-201", "9:00", Day),
         {ClashKind::Room}},
        {"examiner in two rooms at one hour",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g2", "Физика", "Кузнецов В. П.", "1-305", "9:00", Day),
         {ClashKind::Examiner}},
        {"examiner in two rooms at different hours",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g2", "Физика", "Кузнецов В. П.", "1-305", "10:40", Day),
         {}},
        {"rooms differing in case and blanks",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", " Ауд-5 ", "9:00", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "ауд-5", "9:00", Day),
         {ClashKind::Room}},
        {"time spelt 09.00 and 9-00",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "09.00", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9-00", Day),
         {ClashKind::Room}},
        {"time spelt 9ч and 9:00",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9ч", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9:00", Day),
         {ClashKind::Room}},
        {"time with an end",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00-10:30", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "09:00", Day),
         {ClashKind::Room}},
        {"times that are not times compare as text",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "утро", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", " Утро", Day),
         {ClashKind::Room}},
        {"different texts that are not times",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "утро", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "вечер", Day),
         {}},
        {"no time",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "", Day),
         {}},
        {"no date",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", QDate()),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9:00", QDate()),
         {}},
        {"another semester",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day, "3/1"),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9:00", Day, "3/2"),
         {}},
        {"another day",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9:00", Day.addDays(1)),
         {}},
        {"no room",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "", "9:00", Day),
         Entry("2", "g2", "Философия", "Белов М. Ф.", "  ", "9:00", Day),
         {}},
        {"one group, two controls on a day",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g1", "Философия", "Белов М. Ф.", "1-305", "14:00", Day),
         {ClashKind::BusyDay}},
        {"one group, one room, one hour",
         Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("2", "g1", "Философия", "Белов М. Ф.", "1-201", "9:00", Day),
         {ClashKind::Room, ClashKind::BusyDay}},
        {"an entry does not clash with itself",
         Entry("7", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
         Entry("7", "g1", "Физика", "Кузнецов В. П.", "1-305", "10:40", Day),
         {}},
    };
    for (const PairCase& test : cases) {
        EXPECT_EQ(ClashRules::Between(test.a, test.b), test.expected) << test.name;
        // The rules are symmetric: each of the two entries is warned about.
        EXPECT_EQ(ClashRules::Between(test.b, test.a), test.expected) << test.name << " (reversed)";
    }
}

TEST(ClashRulesTest, StartOfTimeTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"9:00", "09:00"},    {"09.00", "09:00"},
        {"9-00", "09:00"},    {"9ч", "09:00"},
        {"9 ч 30", "09:30"},  {"9ч.", "09:00"},
        {" 14:00 ", "14:00"}, {"8:30-10:00", "08:30"},
        {"9", "09:00"},       {"25:00", "~25:00"},
        {"9:75", "~9:75"},    {"930", "~930"},
        {"Утро", "~утро"},    {"", ""},
        {"   ", ""},
    };
    for (const auto& [text, key] : cases)
        EXPECT_EQ(ClashRules::StartKey(QString::fromUtf8(text)), QString::fromUtf8(key)) << text;
}

TEST(ClashIndexTest, FindsTheClashesOfTheDayAndFollowsASavedEntry) {
    ClashIndex index({
        Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day),
        Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "09.00", Day),
        Entry("3", "g2", "Физика", "Кузнецов В. П.", "1-305", "9ч", Day),
        Entry("4", "g3", "Философия", "Белов М. Ф.", "1-201", "9:00", Day.addDays(1)),
    });
    std::vector<Clash> clashes =
        index.clashesOf(Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day));
    ASSERT_EQ(clashes.size(), 2u);
    EXPECT_EQ(clashes[0].kind, ClashKind::Room);
    EXPECT_EQ(clashes[0].other.key, "2");
    EXPECT_EQ(clashes[1].kind, ClashKind::Examiner);
    EXPECT_EQ(clashes[1].other.key, "3");

    // Entry 2 moves to another room: the room clash goes, and its new room meets entry 4's next day.
    index.update(Entry("2", "g2", "Философия", "Белов М. Ф.", "1-999", "09.00", Day));
    clashes = index.clashesOf(Entry("1", "g1", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day));
    ASSERT_EQ(clashes.size(), 1u);
    EXPECT_EQ(clashes[0].kind, ClashKind::Examiner);
    index.update(Entry("2", "g2", "Философия", "Белов М. Ф.", "1-201", "9:00", Day.addDays(1)));
    EXPECT_EQ(
        index.clashesOf(Entry("4", "g3", "Философия", "Белов М. Ф.", "1-201", "9:00", Day.addDays(1))).size(),
        0u)
        << "one examiner, one discipline, one room: a joint sitting";
    EXPECT_EQ(index.size(), 4u);
}

namespace {

// Every clash of an entry the way the rules define it: each known entry in reading order, by kind.
std::vector<std::pair<ClashKind, QString>> EveryClash(const std::vector<ClashEntry>& known,
                                                      const ClashEntry& entry) {
    std::vector<std::pair<ClashKind, QString>> clashes;
    for (const ClashEntry& other : known)
        for (ClashKind kind : ClashRules::Between(entry, other))
            clashes.push_back({kind, other.key});
    std::stable_sort(clashes.begin(), clashes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return clashes;
}

// A planted session: a large group with many controls a day, joint sittings, rooms and times
// written several ways, entries without a date, a room, an examiner or a time.
std::vector<ClashEntry> PlantedSession() {
    const char* times[] = {"9:00", "09.00", "9-00", "10:40", "", "утро"};
    const char* rooms[] = {"1-201", " 1-201 ", "1-305", "", "Х-0"};
    const char* examiners[] = {"Кузнецов В. П.", "кузнецов  в. п.", "Белов М. Ф.", ""};
    const char* disciplines[] = {"Физика", "физика ", "Философия"};
    std::vector<ClashEntry> entries;
    for (int i = 0; i < 600; ++i) {
        const std::string key = std::to_string(i + 1);
        const std::string group = i < 300 ? "large" : "g" + std::to_string(i % 7);
        entries.push_back(Entry(key.c_str(), group.c_str(), disciplines[i % 3], examiners[i % 4],
                                rooms[i % 5], times[i % 6], i % 11 == 0 ? QDate() : Day.addDays(i % 4)));
    }
    return entries;
}

} // namespace

// The index gives each entry exactly the clashes that comparing it with every entry gives, before
// and after saved changes; with a limit, the first ones of each kind and the right counts.
TEST(ClashIndexTest, FindsWhatComparingWithEveryEntryFinds) {
    std::vector<ClashEntry> known = PlantedSession();
    ClashIndex index(known);
    const auto check = [&](const ClashEntry& entry) {
        const auto expected = EveryClash(known, entry);
        std::vector<std::pair<ClashKind, QString>> found;
        for (const Clash& clash : index.clashesOf(entry))
            found.push_back({clash.kind, clash.other.key});
        EXPECT_EQ(found, expected) << entry.key.toStdString();
        ClashCounts counts{};
        const std::vector<Clash> limited = index.clashesOf(entry, 3, &counts);
        ClashCounts expectedCounts{0, 0, 0};
        std::vector<std::pair<ClashKind, QString>> expectedLimited;
        for (const auto& clash : expected)
            if (expectedCounts[static_cast<std::size_t>(clash.first)]++ < 3)
                expectedLimited.push_back(clash);
        found.clear();
        for (const Clash& clash : limited)
            found.push_back({clash.kind, clash.other.key});
        EXPECT_EQ(found, expectedLimited) << entry.key.toStdString();
        EXPECT_EQ(counts, expectedCounts) << entry.key.toStdString();
    };
    for (const ClashEntry& entry : known)
        check(entry);
    // Saved changes: moved to another day, another room, a date taken away; a new entry.
    for (int i = 0; i < 600; i += 37) {
        ClashEntry moved = known[static_cast<std::size_t>(i)];
        moved.date = i % 2 ? Day.addDays(3) : QDate();
        moved.room = QStringLiteral("1-305");
        known[static_cast<std::size_t>(i)] = moved;
        index.update(moved);
    }
    ClashEntry added = Entry("new", "large", "Физика", "Белов М. Ф.", "1-305", "9:00", Day.addDays(3));
    known.push_back(added);
    index.update(added);
    for (const ClashEntry& entry : known)
        check(entry);
    // An entry not yet saved (no key) clashes with everything of its kind, itself included nowhere.
    check(Entry("", "large", "Физика", "Кузнецов В. П.", "1-201", "9:00", Day));
}

// A group with many controls a day: the date's tooltip lists the first ones and counts the rest.
TEST(ClashIndexTest, ATooltipListsTheFirstClashesAndCountsTheRest) {
    std::vector<ClashEntry> known;
    for (int i = 0; i < 13; ++i)
        known.push_back(Entry(std::to_string(i + 1).c_str(), "g1", "Физика", "Белов М. Ф.",
                              ("1-" + std::to_string(100 + i)).c_str(), "9:00", Day));
    ClashIndex index(known);
    ClashCounts counts{};
    const std::vector<Clash> clashes = index.clashesOf(known[0], ClashWatch::ToolTipLimit, &counts);
    EXPECT_EQ(counts, (ClashCounts{0, 12, 12}));
    const QStringList lines = ClashWatch::MarkOf(clashes, "Date_1", &counts).toolTip.split(u'\n');
    ASSERT_EQ(lines.size(), 2 * ClashWatch::ToolTipLimit + 2);
    EXPECT_EQ(lines[ClashWatch::ToolTipLimit], QString::fromUtf8("… и ещё 2"));
    EXPECT_EQ(lines.last(), QString::fromUtf8("… и ещё 2"));
    EXPECT_EQ(ClashWatch::MarkOf(clashes, "Audience_1", &counts).toolTip, QString());
}
