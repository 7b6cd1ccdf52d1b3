// Dates as the user reads and types them: the locale's short date and long time without a time
// zone, two-digit years in the century window, and the conversion error's text.
#include "data/dataerror.h"
#include "data/datetimetext.h"
#include "qstringprinter.h"
#include "support/errortext.h"

#include <gtest/gtest.h>

namespace {

TEST(DateTimeTextTest, ShowsTheShortDateAndTheLongTimeWithoutAZone) {
    const struct {
        const char* locale;
        QDateTime value;
        const char* text;
    } cases[] = {
        {"ru_RU", QDateTime(QDate(2024, 6, 15), QTime(0, 0)), "15.06.2024"},
        {"ru_RU", QDateTime(QDate(2024, 6, 15), QTime(10, 30)), "15.06.2024 10:30:00"},
        {"en_US", QDateTime(QDate(2024, 6, 15), QTime(14, 5, 9)), "6/15/24 2:05:09 PM"},
        {"de_DE", QDateTime(QDate(2027, 1, 2), QTime(9, 0)), "02.01.27 09:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateTimeText(c.value, QLocale(c.locale)), c.text) << c.locale;
}

TEST(DateTimeTextTest, ReadsWhatItShowsAndWhatUsersType) {
    const int year = QDate::currentDate().year();
    const struct {
        const char* locale;
        QString text;
        QDateTime value;
    } cases[] = {
        {"ru_RU", "15.06.2024", QDateTime(QDate(2024, 6, 15), QTime(0, 0))},
        {"ru_RU", " 15.06.2024 10:30:00 ", QDateTime(QDate(2024, 6, 15), QTime(10, 30))},
        {"ru_RU", "15.06.2024 10:30", QDateTime(QDate(2024, 6, 15), QTime(10, 30))},
        // One digit of hours where the format has two.
        {"ru_RU", "15.06.2024 9:05", QDateTime(QDate(2024, 6, 15), QTime(9, 5))},
        {"ru_RU", "15.06.2024 9:05:30", QDateTime(QDate(2024, 6, 15), QTime(9, 5, 30))},
        {"en_US", "6/15/24 2:05:09 PM", QDateTime(QDate(2024, 6, 15), QTime(14, 5, 9))},
        // Two-digit years fall in the hundred years from fifty years ago.
        {"de_DE", "02.01.27", QDateTime(QDate(2027, 1, 2), QTime(0, 0))},
        {"de_DE", QStringLiteral("01.03.%1").arg((year - 50) % 100, 2, 10, QChar('0')),
         QDateTime(QDate(year - 50, 3, 1), QTime(0, 0))},
        {"de_DE", QStringLiteral("01.03.%1").arg((year - 51) % 100, 2, 10, QChar('0')),
         QDateTime(QDate(year + 49, 3, 1), QTime(0, 0))},
        // Two typed digits where the format has four take the same window.
        {"ru_RU", "15.01.27", QDateTime(QDate(2027, 1, 15), QTime(0, 0))},
        {"ru_RU", "15.01.27 09:00", QDateTime(QDate(2027, 1, 15), QTime(9, 0))},
        // A date format with blanks.
        {"C", "15 Jun 2024 10:30:00", QDateTime(QDate(2024, 6, 15), QTime(10, 30))},
        {"ru_RU", "2024-06-15 10:30", QDateTime(QDate(2024, 6, 15), QTime(10, 30))},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDateTimeText(c.text, QLocale(c.locale)), c.value)
            << c.locale << ' ' << c.text.toStdString();
}

TEST(DateTimeTextTest, TextThatIsNoDateFailsWithItsText) {
    for (const char* text : {"31.02.2024", "завтра", "15.06.2024 25:00", "15.06"})
        EXPECT_EQ(ErrorText([&] { ParseDateTimeText(text, QLocale("ru_RU")); }),
                  QStringLiteral("'%1' is not a valid date and time").arg(text));
}

TEST(DateTimeTextTest, ADateAloneIsOnlyTheShortDate) {
    const QLocale russian("ru_RU");
    EXPECT_EQ(ParseDateText("15.06.2024", russian), QDate(2024, 6, 15));
    EXPECT_FALSE(ParseDateText("15.06.2024 10:30:00", russian).isValid());
    EXPECT_FALSE(ParseDateText("", russian).isValid());
}

} // namespace
