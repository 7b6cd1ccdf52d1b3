#pragma once

#include <QString>

// One column of a printed or exported schedule, as the grid shows it: the field, the upper and the
// lower part of its title (the lower part empty for a single-level title) and its design width in
// the grid's pixels, which sets its share of the page's width.
struct ReportColumn {
    QString fieldName;
    QString upperTitle;
    QString lowerTitle;
    int designWidth = 0;
    // A date and time field: its cells carry the value as well as the text.
    bool holdsDates = false;
};
