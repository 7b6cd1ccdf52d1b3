// Searching the grid's cells on the demo schedule, without a display: the find-in list, the
// matching rules, the walk over columns and records in both directions, the ends of the dataset,
// returning to the old place when nothing is found, the history and a row that cannot be posted.
#include "fixedmeasure.h"
#include "grid/gridfind.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "schedule/schedulecolumns.h"
#include "scheduledb.h"
#include "support/errortext.h"

#include <QLocale>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Match = GridFind::Match;
using Direction = GridFind::Direction;
using Outcome = GridFind::Outcome;

constexpr int AllColumns = -1;
const QString PostRefused = "Строка не сохранена: после того как она была прочитана, её изменил или удалил "
                            "другой пользователь. Введённые значения остались в строке.";

// The demo group's twelve records, ordered by discipline, with two disciplines renamed so that
// "курсовой" stands in the discipline of the third and the fifth record only, and with the time
// and the room of "Физика" (the tenth record) empty.
class GridFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.addCourseworkToTwoDisciplines();
        db.runElsewhere(
            "UPDATE ControlSchedule SET Time_1 = NULL, Audience_1 = NULL WHERE id_group = 1 AND "
            "id_discipline = (SELECT id_discipline FROM Discipline WHERE DisciplineName = 'Физика')");
        AddScheduleColumns(grid);
        grid.setTextMeasure(&measure);
        grid.setDataSource(db.module.DS_RatingTable);
        grid.setArea(866, 400, 17);
        db.openSchedule();
        find.setGrid(&grid);
    }

    DataSet& schedule() { return *db.module.ADOQ_RatingTable; }

    // The find-in entry of a column, or "<All>".
    void chooseColumns(int column) {
        const QStringList& entries = find.rebuildFindIn();
        find.setFindIn(column == AllColumns ? static_cast<int>(entries.size()) - 1 : column);
    }

    ScheduleDb db;
    FixedMeasure measure;
    GridModel grid;
    GridFind find;
};

TEST_F(GridFindTest, FindInListHoldsTheVisibleColumnsFullCaptionsThenAllAndStartsAtTheCurrentColumn) {
    grid.setCurrentColumn(5);
    const QStringList& entries = find.rebuildFindIn();
    ASSERT_EQ(entries.size(), 9);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(entries[i], grid.column(i)->caption());
    EXPECT_EQ(entries[5], "Компьютерное, бланочное тестирование|Время");
    EXPECT_EQ(entries[8], "<All>");
    EXPECT_EQ(find.currentColumnEntry(), 5);
    find.setFindIn(5);
    EXPECT_EQ(find.searchColumns(), QList<int>{5});
    for (int entry : {8, -1, 42}) {
        find.setFindIn(entry);
        EXPECT_EQ(find.findIn(), 8) << entry;
        EXPECT_EQ(find.searchColumns(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7})) << entry;
    }

    // A hidden column has no entry and is not searched; captions are compared without regard to
    // case, the first equal one winning.
    grid.column(1)->setVisible(false);
    grid.column(3)->setCaption("ДИСЦИПЛИНА");
    grid.setCurrentColumn(3);
    EXPECT_EQ(find.rebuildFindIn(),
              (QStringList{"Дисциплина", "Ф.И.О. -экзаменатора", "ДИСЦИПЛИНА", grid.column(4)->caption(),
                           grid.column(5)->caption(), grid.column(6)->caption(), grid.column(7)->caption(),
                           "<All>"}));
    EXPECT_EQ(find.currentColumnEntry(), 0);
    find.setFindIn(2);
    EXPECT_EQ(find.searchColumns(), QList<int>{3});
    find.setFindIn(7);
    EXPECT_EQ(find.searchColumns(), (QList<int>{0, 2, 3, 4, 5, 6, 7}));

    // A grid without columns offers "<All>" alone.
    grid.clearColumns();
    EXPECT_EQ(find.rebuildFindIn(), QStringList{"<All>"});
    EXPECT_EQ(find.currentColumnEntry(), 0);
}

TEST(GridFindMatch, MatchTypesAndTheEmptyText) {
    const struct {
        const char* cell;
        const char* text;
        bool anyPart;
        bool wholeField;
        bool fromBeginning;
    } cases[] = {
        {"ФИЗИКА", "ФИЗИКА", true, true, true}, {"ФИЗИКА", "ЗИК", true, false, false},
        {"ФИЗИКА", "ФИЗ", true, false, true},   {"ФИЗИКА", "ФИЗИКАЯ", false, false, false},
        {"ФИЗИКА", "", false, false, true},     {"", "", false, true, true},
        {"", "Ф", false, false, false},         {"Физика", "физика", false, false, false},
    };
    for (const auto& c : cases) {
        const QString cell = QString::fromUtf8(c.cell);
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(GridFind::matches(cell, text, Match::AnyPart), c.anyPart) << c.cell << '/' << c.text;
        EXPECT_EQ(GridFind::matches(cell, text, Match::WholeField), c.wholeField) << c.cell << '/' << c.text;
        EXPECT_EQ(GridFind::matches(cell, text, Match::FromBeginning), c.fromBeginning)
            << c.cell << '/' << c.text;
    }
}

TEST_F(GridFindTest, FindNextWalksColumnsAndRecordsAndStopsAtTheEndsWithoutWrapping) {
    struct Press {
        bool ctrl;
        Outcome outcome;
        int record; // where the grid stands afterwards
        int column;
    };
    struct Scenario {
        const char* name;
        int record;
        int column;
        int findIn;
        Direction direction;
        Match match;
        bool matchCase;
        QString text;
        std::vector<Press> presses;
    };
    const QString dateText = QLocale().toString(QDate(2024, 1, 19), QLocale::ShortFormat);
    const Scenario scenarios[] = {
        {"the starting cell is found at once",
         3,
         0,
         0,
         Direction::Down,
         Match::AnyPart,
         false,
         "Высшая математика",
         {{false, Outcome::Found, 3, 0}, {false, Outcome::NotFound, 3, 0}}},
        {"down from the first row: the third, the fifth, then nothing",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::AnyPart,
         false,
         "курсовой",
         {{false, Outcome::Found, 2, 0}, {false, Outcome::Found, 4, 0}, {false, Outcome::NotFound, 4, 0}}},
        {"all starts at the first record and never wraps",
         8,
         3,
         AllColumns,
         Direction::All,
         Match::AnyPart,
         false,
         "курсовой",
         {{false, Outcome::Found, 2, 0}, {false, Outcome::Found, 4, 0}, {false, Outcome::NotFound, 4, 0}}},
        {"up goes towards the first record",
         8,
         0,
         AllColumns,
         Direction::Up,
         Match::AnyPart,
         false,
         "курсовой",
         {{false, Outcome::Found, 4, 0}, {false, Outcome::Found, 2, 0}, {false, Outcome::NotFound, 2, 0}}},
        {"up starts at the current record's last search column",
         5,
         0,
         AllColumns,
         Direction::Up,
         Match::WholeField,
         false,
         "Устный",
         {{false, Outcome::Found, 5, 7}, {false, Outcome::NotFound, 5, 7}}},
        {"ctrl turns the direction round, either way",
         5,
         0,
         AllColumns,
         Direction::Down,
         Match::AnyPart,
         false,
         "курсовой",
         {{true, Outcome::Found, 4, 0},
          {true, Outcome::Found, 2, 0},
          {false, Outcome::Found, 4, 0},
          {true, Outcome::Found, 2, 0}}},
        {"ctrl with up searches down",
         0,
         0,
         AllColumns,
         Direction::Up,
         Match::AnyPart,
         false,
         "курсовой",
         {{true, Outcome::Found, 2, 0}}},
        {"ctrl with all on a fresh search reaches the begin mark at once",
         5,
         2,
         AllColumns,
         Direction::All,
         Match::AnyPart,
         false,
         "курсовой",
         {{true, Outcome::NotFound, 5, 2}}},
        {"case off: Cyrillic in lower case finds capitals",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::AnyPart,
         false,
         "иностранный",
         {{false, Outcome::Found, 4, 0}, {false, Outcome::Found, 5, 0}, {false, Outcome::NotFound, 5, 0}}},
        {"case off: Cyrillic in upper case finds lower case",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::AnyPart,
         false,
         "ИНОСТРАННЫЙ",
         {{false, Outcome::Found, 4, 0}, {false, Outcome::Found, 5, 0}}},
        {"case on: only the same letters",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::AnyPart,
         true,
         "иностранный",
         {{false, Outcome::Found, 4, 0}, {false, Outcome::NotFound, 4, 0}}},
        {"whole field with an empty text finds the empty cells",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::WholeField,
         false,
         "",
         {{false, Outcome::Found, 9, 5}, {false, Outcome::Found, 9, 6}, {false, Outcome::NotFound, 9, 6}}},
        {"beginning of field with an empty text finds the starting cell",
         3,
         6,
         AllColumns,
         Direction::Down,
         Match::FromBeginning,
         false,
         "",
         {{false, Outcome::Found, 3, 0}, {false, Outcome::Found, 3, 1}}},
        {"any part with an empty text finds nothing",
         3,
         6,
         AllColumns,
         Direction::All,
         Match::AnyPart,
         false,
         "",
         {{false, Outcome::NotFound, 3, 6}}},
        {"whole field does not take a part",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::WholeField,
         false,
         "физика",
         {{false, Outcome::Found, 9, 0}, {false, Outcome::NotFound, 9, 0}}},
        {"beginning of field takes a beginning only",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::FromBeginning,
         false,
         "ФИЗ",
         {{false, Outcome::Found, 9, 0}, {false, Outcome::Found, 10, 0}, {false, Outcome::NotFound, 10, 0}}},
        {"one column: the others are not searched",
         0,
         0,
         2,
         Direction::Down,
         Match::AnyPart,
         false,
         "ершова",
         {{false, Outcome::Found, 0, 2}, {false, Outcome::Found, 6, 2}, {false, Outcome::NotFound, 6, 2}}},
        {"a cell found in another column becomes current",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::AnyPart,
         true,
         "Спортзал",
         {{false, Outcome::Found, 10, 6}, {false, Outcome::Found, 11, 6}}},
        {"the display text of a date",
         0,
         0,
         AllColumns,
         Direction::Down,
         Match::WholeField,
         false,
         dateText,
         {{false, Outcome::Found, 1, 4}}},
        {"the looked-up control type",
         0,
         0,
         7,
         Direction::Down,
         Match::WholeField,
         false,
         "письменный",
         {{false, Outcome::Found, 4, 7}, {false, Outcome::NotFound, 4, 7}}},
    };
    for (const Scenario& s : scenarios) {
        for (const bool format : {true, false}) {
            SCOPED_TRACE(std::string(s.name) + (format ? " (format on)" : " (format off)"));
            grid.moveToRecord(s.record);
            grid.setCurrentColumn(s.column);
            GridFind search;
            search.setGrid(&grid);
            const QStringList& entries = search.rebuildFindIn();
            search.setFindIn(s.findIn == AllColumns ? static_cast<int>(entries.size()) - 1 : s.findIn);
            search.setDirection(s.direction);
            search.setMatch(s.match);
            search.setMatchCase(s.matchCase);
            search.setUseFormat(format);
            search.setText(s.text);
            for (size_t i = 0; i < s.presses.size(); ++i) {
                const Press& press = s.presses[i];
                EXPECT_EQ(search.findNext(press.ctrl), press.outcome) << "press " << i + 1;
                EXPECT_EQ(grid.currentRecord(), press.record) << "press " << i + 1;
                EXPECT_EQ(grid.currentColumn(), press.column) << "press " << i + 1;
                EXPECT_FALSE(schedule().controlsDisabled());
            }
        }
    }
}

TEST_F(GridFindTest, ChangingTheFindInChoiceTheTextOrTheDirectionStartsAgainTheOtherBoxesDoNot) {
    const struct {
        const char* change;
        std::function<void()> apply;
        int record;
        int column;
    } cases[] = {
        {"find-in", [&] { find.setFindIn(0); }, 2, 0},
        {"text", [&] { find.setText("КУРСОВОЙ"); }, 2, 0},
        {"direction", [&] { find.setDirection(Direction::Down); }, 2, 0},
        {"same text", [&] { find.setText("курсовой"); }, 4, 0},
        {"match type", [&] { find.setMatch(Match::FromBeginning); }, -1, -1},
        {"case box", [&] { find.setMatchCase(true); }, 4, 0},
        {"format box", [&] { find.setUseFormat(false); }, 4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        grid.moveToRecord(0);
        chooseColumns(AllColumns);
        find.setDirection(Direction::All);
        find.setMatch(Match::AnyPart);
        find.setMatchCase(false);
        find.setUseFormat(true);
        find.setText("курсовой");
        ASSERT_EQ(find.findNext(), Outcome::Found);
        ASSERT_EQ(grid.currentRecord(), 2);
        find.setDirection(Direction::All); // unchanged: no reset
        c.apply();
        const Outcome outcome = find.findNext();
        if (c.record < 0) {
            // Nothing begins with the text after the cell found; the search goes on from there.
            EXPECT_EQ(outcome, Outcome::NotFound);
            EXPECT_EQ(grid.currentRecord(), 2);
            EXPECT_FALSE(find.freshSearch());
            continue;
        }
        EXPECT_EQ(outcome, Outcome::Found);
        EXPECT_EQ(grid.currentRecord(), c.record);
        EXPECT_EQ(grid.currentColumn(), c.column);
    }
}

TEST_F(GridFindTest, SearchThatFindsNothingLeavesTheSameRowsShownAndKeepsItsPlace) {
    const GridLayout& layout = grid.layout();
    grid.setArea(866, 150, 17);
    grid.setArea(866, layout.dataTop() + 5 * layout.rowPitch(), 17);
    ASSERT_EQ(layout.fullRowCount(), 5);
    grid.moveBy(8);
    grid.moveBy(-1);
    grid.setCurrentColumn(3);
    ASSERT_EQ(grid.topRecord(), 4);
    ASSERT_EQ(grid.currentRecord(), 7);
    int scrolls = 0;
    int refreshes = 0;
    QObject::connect(&schedule(), &DataSet::scrolled, [&] { ++scrolls; });
    QObject::connect(&schedule(), &DataSet::dataSetChanged, [&] { ++refreshes; });

    chooseColumns(AllColumns);
    find.setText("нет такого текста");
    for (const Direction direction : {Direction::All, Direction::Down, Direction::Up}) {
        find.setDirection(direction);
        EXPECT_EQ(find.findNext(), Outcome::NotFound);
        EXPECT_EQ(grid.currentRecord(), 7);
        EXPECT_EQ(grid.topRecord(), 4);
        EXPECT_EQ(grid.currentColumn(), 3);
        EXPECT_TRUE(find.freshSearch());
        // Where the search stopped: past the last column forward, before the first backward.
        EXPECT_EQ(find.columnPosition(), direction == Direction::Up ? 7 : 0);
    }
    // The controls saw no move of the search, only the one refresh of each release.
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(refreshes, 3);
    EXPECT_FALSE(schedule().controlsDisabled());

    // A found record far below comes into view.
    find.setDirection(Direction::Down);
    find.setText("Элективные");
    EXPECT_EQ(find.findNext(), Outcome::Found);
    EXPECT_EQ(grid.currentRecord(), 11);
    EXPECT_EQ(grid.rowOfRecord(11), 4);
}

TEST_F(GridFindTest, MarksLeftByOpeningOrByTheUsersMovesDoNotEndTheSearchBeforeTheStartingRecord) {
    // Just opened: the begin mark is set, yet "Up" searches the first record.
    chooseColumns(AllColumns);
    find.setDirection(Direction::Up);
    find.setText("архитектура");
    ASSERT_TRUE(schedule().bof());
    EXPECT_EQ(find.findNext(), Outcome::Found);
    EXPECT_EQ(grid.currentRecord(), 0);
    // At the last record with the end mark set, "Down" searches that record.
    schedule().last();
    ASSERT_TRUE(schedule().eof());
    find.setDirection(Direction::Down);
    find.setText("элективные");
    EXPECT_EQ(find.findNext(), Outcome::Found);
    EXPECT_EQ(grid.currentRecord(), 11);
    EXPECT_EQ(find.findNext(), Outcome::NotFound);
    EXPECT_EQ(grid.currentRecord(), 11);
}

TEST_F(GridFindTest, NothingIsSearchedWithoutAnOpenScheduleOrColumnsButTheHistoryGrows) {
    chooseColumns(AllColumns);
    find.setText("Физика");
    schedule().close();
    EXPECT_EQ(find.findNext(), Outcome::NotSearched);
    db.openSchedule();
    grid.clearColumns();
    chooseColumns(AllColumns);
    EXPECT_TRUE(find.searchColumns().isEmpty());
    find.setText("курсовой");
    EXPECT_EQ(find.findNext(), Outcome::NotSearched);
    EXPECT_EQ(grid.currentRecord(), 0);
    EXPECT_FALSE(schedule().controlsDisabled());
    GridFind unbound;
    unbound.setText("x");
    EXPECT_EQ(unbound.findNext(), Outcome::NotSearched);
    EXPECT_EQ(find.history(), (QStringList{"Физика", "курсовой"}));
}

TEST_F(GridFindTest, HistoryKeepsEachTextOnceInTheOrderOfFirstUseRegardlessOfCase) {
    chooseColumns(AllColumns);
    for (const char* text : {"курсовой", "Физика", "КУРСОВОЙ", "", "физика", "Спортзал", "", "курсовой"}) {
        find.setText(QString::fromUtf8(text));
        find.findNext();
    }
    EXPECT_EQ(find.history(), (QStringList{"курсовой", "Физика", "", "Спортзал"}));
}

TEST_F(GridFindTest, RowThatCannotBePostedStopsTheSearchWithTheDatabasesError) {
    grid.moveToRecord(2);
    db.runElsewhere("UPDATE ControlSchedule SET Time_1 = '07:45' WHERE id_schedule = " +
                    db.key(2).toString());
    schedule().edit();
    db.module.ADOQ_RatingTableTime_1->setAsString("16:20");
    chooseColumns(AllColumns);
    find.setText("Смит");
    for (const Direction direction : {Direction::Down, Direction::All}) {
        SCOPED_TRACE(static_cast<int>(direction));
        find.setDirection(direction);
        EXPECT_EQ(ErrorText([&] { find.findNext(); }), PostRefused);
        EXPECT_EQ(grid.currentRecord(), 2);
        EXPECT_EQ(schedule().state(), DataSetState::Edit);
        EXPECT_EQ(grid.cellText(2, 5), "16:20");
        EXPECT_FALSE(schedule().controlsDisabled());
        EXPECT_TRUE(find.freshSearch());
    }
    // The open edit's own values are what the search reads in its record.
    find.setDirection(Direction::Down);
    find.setText("16:20");
    EXPECT_EQ(find.findNext(), Outcome::Found);
    EXPECT_EQ(grid.currentColumn(), 5);
    // Once the row is posted, the search moves on.
    schedule().cancel();
    find.setText("Смит");
    EXPECT_EQ(find.findNext(), Outcome::Found);
    EXPECT_EQ(grid.currentRecord(), 4);
}

} // namespace
