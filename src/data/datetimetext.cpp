#include "datetimetext.h"

#include "dataerror.h"

#include <QRegularExpression>

namespace {

// The locale's time format without its time zone ("t"), which the stored values do not carry.
QString TimeFormat(const QLocale& locale, QLocale::FormatType type) {
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    QString format = locale.timeFormat(type);
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

bool HasTwoDigitYear(const QString& format) {
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

// Qt reads "yy" as 19yy; the user means the year nearest to now, in the century window.
QDate InWindow(const QDate& date) {
    const int windowStart = QDate::currentDate().year() - 50;
    int year = windowStart - windowStart % 100 + date.year() % 100;
    if (year < windowStart)
        year += 100;
    return QDate(year, date.month(), date.day());
}

QDate ReadDate(const QString& text, const QLocale& locale, const QString& format) {
    const QDate date = locale.toDate(text, format);
    if (date.isValid())
        return HasTwoDigitYear(format) ? InWindow(date) : date;
    // A four-digit year in the format still takes two typed digits ("15.01.27" for dd.MM.yyyy).
    if (format.contains(QLatin1String("yyyy"))) {
        const QString shortYear = QString(format).replace(QLatin1String("yyyy"), QLatin1String("yy"));
        const QDate typed = locale.toDate(text, shortYear);
        if (typed.isValid())
            return InWindow(typed);
    }
    return date;
}

} // namespace

QString DateTimeText(const QDateTime& value, const QLocale& locale) {
    QString text = locale.toString(value.date(), QLocale::ShortFormat);
    if (value.time() != QTime(0, 0))
        text += ' ' + locale.toString(value.time(), TimeFormat(locale, QLocale::LongFormat));
    return text;
}

QDateTime ParseDateTimeText(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    // The date and the time are read apart, at each blank in turn: a date format may hold blanks.
    for (qsizetype split = trimmed.indexOf(u' '); split > 0; split = trimmed.indexOf(u' ', split + 1)) {
        const QDate date = ReadDate(trimmed.left(split), locale, dateFormat);
        if (!date.isValid())
            continue;
        const QString timeText = trimmed.mid(split + 1).trimmed();
        for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            const QString format = TimeFormat(locale, type);
            // Hours are typed with one digit too ("9:30" where the format says "HH:mm").
            const QString oneDigitHours = QString(format)
                                              .replace(QLatin1String("HH"), QLatin1String("H"))
                                              .replace(QLatin1String("hh"), QLatin1String("h"));
            for (const QString& each : {format, oneDigitHours}) {
                const QTime time = locale.toTime(timeText, each);
                if (time.isValid())
                    return QDateTime(date, time);
            }
        }
    }
    const QDate date = ReadDate(trimmed, locale, dateFormat);
    if (date.isValid())
        return date.startOfDay();
    for (const QString& format : {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"),
                                  QStringLiteral("yyyy-MM-dd")}) {
        QDateTime value = QDateTime::fromString(trimmed, format);
        if (value.isValid())
            return value;
    }
    throw DataError(QStringLiteral("'%1' is not a valid date and time").arg(text));
}

QDate ParseDateText(const QString& text, const QLocale& locale) {
    return ReadDate(text.trimmed(), locale, locale.dateFormat(QLocale::ShortFormat));
}
