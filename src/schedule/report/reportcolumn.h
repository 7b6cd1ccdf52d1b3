#pragma once

#include <QDate>
#include <QString>

// One column of a printed or exported schedule, as the grid shows it: the field and the upper and
// the lower part of its title (the lower part empty for a single-level title).
struct ReportColumn {
    QString fieldName;
    QString upperTitle;
    QString lowerTitle;
    // A date and time field: its cells carry the value as well as the text.
    bool holdsDates = false;
    // A single-level title that names a day: a workbook writes it as a date cell (shown with its
    // weekday, as the title reads), the printout as its text.
    QDate titleDate = {};
};
