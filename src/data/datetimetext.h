#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

// Dates as the user reads and types them: the locale's short date, followed by a blank and its
// long time when the time of day is not midnight. Times carry no time zone. A two-digit year is
// taken in the hundred years that begin fifty years before the current one.

// The text of a date and time in the locale (the user's by default).
QString DateTimeText(const QDateTime& value, const QLocale& locale = QLocale());
// Reads a date, optionally followed by a time (long or short), in the locale's formats; ISO forms
// (yyyy-MM-dd with an optional time) are read too. Raises DataError "'%s' is not a valid date and
// time" with the text.
QDateTime ParseDateTimeText(const QString& text, const QLocale& locale = QLocale());
// Reads a date alone in the locale's short format; an invalid date when the text is not one.
QDate ParseDateText(const QString& text, const QLocale& locale = QLocale());
