// The cascading selection against the demo database: the states the four pick handlers lead
// through, in the order of their steps, the ways a pick happens without the widget (Up and Down,
// typing), and errors that end a handler at the failing step.
#include "signedinschedule.h"

#include "data/dataerror.h"
#include "support/errortext.h"

#include <QStringList>

namespace {

const QString Autumn = QString::fromUtf8("1-й семестр (осенний)");
const QString Spring = QString::fromUtf8("2-й семестр (весенний)");
const QString InformationTechnology = QString::fromUtf8("Факультет информационных технологий");
const QString Economics = QString::fromUtf8("Экономический факультет");

class SelectionTest : public SignedInSchedule {
protected:
    // One selector as the user sees it: enabled or not, its list open or not, the text it shows.
    static QString describe(const LookupSelector& selector) {
        return QString("%1 %2 '%3'")
            .arg(selector.isEnabled() ? "on" : "off", selector.listQuery()->isActive() ? "list" : "no list",
                 selector.shownText());
    }

    QStringList state() {
        return {describe(year()), describe(semester()), describe(faculty()), describe(group()),
                schedule().isActive() ? QString("schedule %1 rows").arg(schedule().recordCount())
                                      : QString("schedule closed")};
    }

    // Counts the runs of a selector's click handler around the editor's own.
    int countRuns(LookupSelector& selector, void (ScheduleEditor::*handler)()) {
        auto runs = std::make_shared<int>(0);
        selector.setClickHandler([this, runs, handler] {
            ++*runs;
            (m_editor.get()->*handler)();
        });
        m_runCounters.push_back(runs);
        return static_cast<int>(m_runCounters.size()) - 1;
    }
    int runs(int counter) const { return *m_runCounters[static_cast<size_t>(counter)]; }

    std::vector<std::shared_ptr<int>> m_runCounters;
};

} // namespace

TEST_F(SelectionTest, FromSignInToAGroupsSchedule) {
    EXPECT_EQ(state(), QStringList({"on list ''", "off no list ''", "off no list ''", "off no list ''",
                                    "schedule closed"}));
    QStringList years;
    for (int row = 0; row < year().rowCount(); ++row)
        years << year().rowText(row);
    EXPECT_EQ(years, QStringList({"2023/2024", "2024/2025", "2025/2026", "2026/2027"}));

    pickText(year(), "2025/2026");
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list ''", "off no list ''", "off no list ''",
                                    "schedule closed"}));
    EXPECT_EQ(m_data.ADOQ_Semester->findParam("@id_a_year")->value(), year().keyValue());
    EXPECT_EQ(m_data.ADOQ_Semester->sort(), "Semester");

    pickText(semester(), Autumn);
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list '" + Autumn + "'", "on list ''",
                                    "off no list ''", "schedule closed"}));
    EXPECT_EQ(m_data.ADOQ_Faculty->findParam("@id_semester")->value(), semester().keyValue());
    EXPECT_EQ(m_data.ADOQ_Faculty->sort(), "Faculty");
    EXPECT_EQ(faculty().rowCount(), 6);

    pickText(faculty(), InformationTechnology);
    EXPECT_EQ(state(),
              QStringList({"on list '2025/2026'", "on list '" + Autumn + "'",
                           "on list '" + InformationTechnology + "'", "on list ''", "schedule closed"}));
    EXPECT_EQ(m_data.ADOQ_Group->findParam("@id_faculty")->value(), faculty().keyValue());
    EXPECT_EQ(m_data.ADOQ_Group->sort(), "Group");

    pickText(group(), QString::fromUtf8("ПИ-231"));
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list '" + Autumn + "'",
                                    "on list '" + InformationTechnology + "'",
                                    QString::fromUtf8("on list 'ПИ-231'"), "schedule 12 rows"}));
    const char* names[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    LookupSelector* selectors[] = {&year(), &semester(), &faculty(), &group()};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(schedule().findParam(names[i])->value(), selectors[i]->keyValue()) << names[i];
    EXPECT_TRUE(m_data.ADOTable1->isActive());
    EXPECT_EQ(schedule().sort(), "");
}

// A new year closes the schedule and clears everything below it; the faculty and group lists keep
// their old rows behind disabled, empty selectors until the semester is picked again, which
// re-queries the faculty list for the new year.
TEST_F(SelectionTest, AnotherYearClearsBelowAndLeavesLowerListsAlone) {
    pickDemoGroup();
    const QVariant oldFacultyParameter = m_data.ADOQ_Faculty->findParam("@id_a_year")->value();
    const int oldGroups = group().rowCount();

    pickText(year(), "2024/2025");
    EXPECT_EQ(state(), QStringList({"on list '2024/2025'", "on list ''", "off list ''", "off list ''",
                                    "schedule closed"}));
    EXPECT_EQ(m_data.ADOQ_Faculty->findParam("@id_a_year")->value(), oldFacultyParameter);
    EXPECT_EQ(group().rowCount(), oldGroups);
    EXPECT_TRUE(faculty().keyIsNull());
    EXPECT_TRUE(group().keyIsNull());

    pickText(semester(), Spring);
    EXPECT_EQ(state(), QStringList({"on list '2024/2025'", "on list '" + Spring + "'", "on list ''",
                                    "off list ''", "schedule closed"}));
    EXPECT_EQ(m_data.ADOQ_Faculty->findParam("@id_a_year")->value(), year().keyValue());
}

// Re-picking the chosen entry runs the whole handler again: the lists are read anew.
TEST_F(SelectionTest, RepickingTheSameEntryRunsTheHandlerAgain) {
    pickDemoGroup();
    const QVariant groupKey = group().keyValue();
    // A schedule row and a new semester appear on the server; only a re-query shows them.
    testsupport::ExecuteSql(
        m_database,
        "INSERT INTO Semester VALUES (3, '3-й семестр (летний)');"
        "INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, id_discipline, id_form) "
        "SELECT id_a_year, 3, id_group, id_discipline, id_form FROM ControlSchedule "
        "WHERE id_a_year = 3 AND id_group = @g LIMIT 1;"
        "INSERT INTO ControlSchedule (id_a_year, id_semester, id_group, id_discipline, id_form) "
        "SELECT id_a_year, id_semester, id_group, id_discipline, id_form FROM ControlSchedule "
        "WHERE id_a_year = 3 AND id_semester = 1 AND id_group = @g LIMIT 1;",
        {{"g", groupKey}});

    group().pick(groupKey);
    EXPECT_EQ(schedule().recordCount(), 13) << "the same group's schedule is fetched again";
    EXPECT_EQ(semester().rowCount(), 2);
    EXPECT_EQ(group().keyValue(), groupKey) << "picking a group changes no selector";

    pickText(year(), "2025/2026");
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list ''", "off list ''", "off list ''",
                                    "schedule closed"}));
    EXPECT_EQ(semester().rowCount(), 3);
}

TEST_F(SelectionTest, PickingASemesterNeverDisablesTheFacultySelector) {
    pickDemoGroup();
    QList<bool> facultyEnabled;
    QObject::connect(&faculty(), &LookupSelector::changed, [&] { facultyEnabled << faculty().isEnabled(); });
    pickText(semester(), Spring);
    EXPECT_FALSE(facultyEnabled.contains(false));
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list '" + Spring + "'", "on list ''",
                                    "off list ''", "schedule closed"}));
}

// Enter on an open list with nothing chosen and nothing highlighted picks Null: the upper handlers
// close, clear and disable, then stop at their Null test; the group handler does nothing at all.
TEST_F(SelectionTest, NullPicks) {
    pickDemoGroup();
    pickText(year(), "2025/2026");
    const int oldFacultyRows = faculty().rowCount();

    semester().pick(QVariant());
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list ''", "off list ''", "off list ''",
                                    "schedule closed"}))
        << "the faculty selector keeps its enabled state and its previous list";
    EXPECT_EQ(faculty().rowCount(), oldFacultyRows);

    pickText(semester(), Autumn);
    pickText(faculty(), InformationTechnology);
    faculty().pick(QVariant());
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list '" + Autumn + "'", "on list ''",
                                    "on list ''", "schedule closed"}));

    pickText(faculty(), InformationTechnology);
    group().pickRow(1);
    group().setKeyValue(QVariant());
    group().pick(QVariant());
    EXPECT_EQ(schedule().recordCount(), 12) << "the schedule stays as it was";

    year().pick(QVariant());
    EXPECT_EQ(state(),
              QStringList({"on list ''", "on list ''", "off list ''", "off list ''", "schedule closed"}));
}

// Up and Down on a closed list pick the neighbour of the chosen row; the first row when none is
// chosen; the same row again at either end, running the handler again.
TEST_F(SelectionTest, UpAndDownPickTheNeighbour) {
    const int counter = countRuns(year(), &ScheduleEditor::yearPicked);
    const struct {
        int direction;
        const char* expected;
        int runs;
    } steps[] = {
        {+1, "2023/2024", 1}, {+1, "2024/2025", 2}, {-1, "2023/2024", 3}, {-1, "2023/2024", 4},
        {+1, "2024/2025", 5}, {+1, "2025/2026", 6}, {+1, "2026/2027", 7}, {+1, "2026/2027", 8},
    };
    for (const auto& step : steps) {
        year().pickStep(step.direction);
        EXPECT_EQ(year().shownText(), step.expected) << step.direction;
        EXPECT_EQ(runs(counter), step.runs);
        EXPECT_TRUE(semester().isEnabled());
    }
    year().setKeyValue(QVariant());
    year().pickStep(-1);
    EXPECT_EQ(year().shownText(), "2023/2024") << "Up with nothing chosen takes the first row";
}

TEST_F(SelectionTest, UpOrDownOnAnEmptyListPicksNull) {
    pickText(year(), "2026/2027");
    // The spring session disappears after the semester list was read.
    testsupport::ExecuteSql(m_database,
                            "DELETE FROM ControlSchedule WHERE id_a_year = 4 AND id_semester = 2");
    pickText(semester(), Spring);
    ASSERT_EQ(faculty().rowCount(), 0);
    ASSERT_TRUE(faculty().canDropDown());
    const int counter = countRuns(faculty(), &ScheduleEditor::facultyPicked);
    faculty().pickStep(+1);
    EXPECT_EQ(runs(counter), 1);
    EXPECT_TRUE(faculty().keyIsNull());
}

TEST_F(SelectionTest, DisabledOrClosedSelectorsDoNotPick) {
    const int counter = countRuns(semester(), &ScheduleEditor::semesterPicked);
    semester().pickStep(+1);
    EXPECT_FALSE(semester().typeToPick('1', 0));
    semester().pick(QVariant(1));
    EXPECT_EQ(runs(counter), 0);
    EXPECT_TRUE(semester().keyIsNull());
}

// Typing picks the first row whose shown text starts with what was typed, case ignored; a pause
// of more than two seconds since the last character typed into any selector starts a new search.
TEST_F(SelectionTest, TypingSearch) {
    pickText(year(), "2025/2026");
    pickText(semester(), Autumn);
    struct Typed {
        LookupSelector* selector;
        QChar character;
        qint64 at;
        const char* search;
        const char* shown;
    };
    const Typed typed[] = {
        {&faculty(), QChar(u'э'), 0, "э", "Экономический факультет"},
        {&faculty(), QChar(u'К'), 500, "эК", "Экономический факультет"},
        {&faculty(), QChar(u'x'), 900, "эК", "Экономический факультет"},  // no match: nothing changes
        {&faculty(), QChar(u'ю'), 2900, "эК", "Экономический факультет"}, // 2000 ms: not yet a pause
        {&faculty(), QChar(u'ю'), 4901, "ю", "Юридический факультет"},
        // The time stamp is shared: typing into the year selector keeps the faculty's search alive.
        {&year(), QChar(u'9'), 6500, "", "2025/2026"},
        {&faculty(), QChar(u'р'), 8400, "юр", "Юридический факультет"},
        {&faculty(), QChar(u'м'), 10401, "м", "Механико-технологический факультет"},
    };
    for (const Typed& step : typed) {
        const QString shownBefore = step.selector->shownText();
        step.selector->typeToPick(step.character, step.at);
        EXPECT_EQ(step.selector->searchText(), QString::fromUtf8(step.search)) << step.at;
        EXPECT_EQ(step.selector->shownText(), QString::fromUtf8(step.shown)) << step.at;
        if (step.selector == &year())
            EXPECT_EQ(step.selector->shownText(), shownBefore);
    }
    EXPECT_TRUE(group().isEnabled()) << "each pick ran the faculty handler";
}

TEST_F(SelectionTest, TypingSearchHoldsAtMostThirtyTwoCharacters) {
    pickText(year(), "2025/2026");
    pickText(semester(), Autumn);
    const QString name = QString::fromUtf8("Механико-технологический факультет");
    ASSERT_GT(name.size(), LookupSelector::MaxSearchLength);
    for (qsizetype i = 0; i < name.size(); ++i)
        faculty().typeToPick(name[i], i * 100);
    EXPECT_EQ(faculty().searchText(), name.left(LookupSelector::MaxSearchLength));
    faculty().clearSearch();
    faculty().typeToPick(QChar(u'г'), 4000);
    EXPECT_EQ(faculty().searchText(), QString::fromUtf8("г"));
    EXPECT_EQ(faculty().shownText(), QString::fromUtf8("Гуманитарный факультет"));
}

TEST(LookupSelectorCharacters, SearchCharactersAreThoseOfTheAnsiCodePageFromTheBlankUp) {
    const struct {
        char16_t character;
        bool searches;
    } cases[] = {{u' ', true},   {u'a', true},     {u'Я', true},   {u'ё', true}, {u'€', true},
                 {u'\t', false}, {u'\x1f', false}, {u'中', false}, {u'ß', false}};
    for (const auto& item : cases)
        EXPECT_EQ(LookupSelector::isSearchCharacter(QChar(item.character)), item.searches)
            << int(item.character);
}

TEST_F(SelectionTest, NoTypingSearchWhenTheShownColumnIsNotText) {
    m_data.ADOQ_Semester->setSql({"SELECT  id_semester, id_semester AS Semester FROM [InfoForRating] ",
                                  "WHERE id_a_year=:@id_a_year", "GROUP BY  id_semester "});
    pickText(year(), "2025/2026");
    ASSERT_EQ(semester().rowCount(), 2);
    EXPECT_FALSE(semester().searchAvailable());
    EXPECT_FALSE(semester().typeToPick('1', 0));
    EXPECT_TRUE(semester().keyIsNull());
}

// An error ends a handler at its step: the steps before it stay done, the later ones are not.
TEST_F(SelectionTest, AFailedListOpeningLeavesTheNextSelectorWithoutAList) {
    pickDemoGroup();
    testsupport::ExecuteSql(m_database, "DROP VIEW RatingView");
    EXPECT_EQ(ErrorText([&] { pickText(faculty(), Economics); }), "no such table: RatingView");
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "on list '" + Autumn + "'",
                                    "on list '" + Economics + "'", "on no list ''", "schedule closed"}));
    EXPECT_FALSE(group().canDropDown());
}

TEST_F(SelectionTest, AFailedSortLeavesTheNextSelectorDisabled) {
    m_data.ADOQ_Semester->setSql({"SELECT  id_semester, Semester AS Term FROM [InfoForRating] ",
                                  "WHERE id_a_year=:@id_a_year", "GROUP BY  id_semester, Semester "});
    EXPECT_EQ(ErrorText([&] { pickText(year(), "2025/2026"); }), "ADOQ_Semester: Field 'Semester' not found");
    EXPECT_EQ(state(), QStringList({"on list '2025/2026'", "off list ''", "off no list ''", "off no list ''",
                                    "schedule closed"}));
}

TEST_F(SelectionTest, AFailedScheduleOpeningLeavesItClosed) {
    pickDemoGroup();
    testsupport::ReplaceProcedure(m_database, "GetRatingTable",
                                  "@id_a_year, @id_semester, @id_faculty, @id_group",
                                  testsupport::RaiseStatement(m_database, "Расписание недоступно"));
    EXPECT_EQ(ErrorText([&] { group().pickRow(2); }), "Расписание недоступно");
    EXPECT_FALSE(schedule().isActive());
    EXPECT_EQ(group().shownText(), group().rowText(2));
}
