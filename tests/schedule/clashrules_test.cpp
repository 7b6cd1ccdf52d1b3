// The clash rules on pairs of schedule entries, and the index that finds an entry's clashes among
// the entries of its day.
#include "schedule/clashindex.h"
#include "schedule/clashrules.h"

#include <gtest/gtest.h>

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
