// The locale of the program's dates: the user's own, or Russian where the system gives none.
#include "app/application.h"
#include "app/programlocale.h"

#include <QDate>
#include <gtest/gtest.h>

TEST(ProgramLocaleTest, RussianWhereTheSystemGivesNoLocaleOfItsOwn) {
    const QDate day(2025, 12, 18);
    const struct {
        const char* system;
        const char* shortDate;
        const char* dayName;
    } cases[] = {
        {"C", "18.12.2025", "чт"},      {"POSIX", "18.12.2025", "чт"}, {"ru_RU", "18.12.2025", "чт"},
        {"en_GB", "18/12/2025", "Thu"}, {"de_DE", "18.12.25", "Do."},
    };
    for (const auto& c : cases) {
        const QLocale locale = ProgramLocale(QLocale(QString::fromLatin1(c.system)));
        EXPECT_EQ(locale.toString(day, QLocale::ShortFormat).toStdString(), c.shortDate) << c.system;
        EXPECT_EQ(locale.toString(day, QStringLiteral("ddd")).toStdString(), c.dayName) << c.system;
    }
}

// Every QLocale() of the program, which the grid, the overview and the reports use, is that one.
TEST(ProgramLocaleTest, TheApplicationMakesItTheDefault) {
    EXPECT_EQ(QLocale(), ProgramLocale(QLocale::system()));
    EXPECT_NE(QLocale().language(), QLocale::C);
}
