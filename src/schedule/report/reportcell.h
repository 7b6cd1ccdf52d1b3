#pragma once

#include <QDateTime>
#include <QString>

// One cell of a printed or exported schedule: the text the grid shows and, in a date column, the
// value itself (invalid for Null).
struct ReportCell {
    QString text;
    QDateTime date;
};
