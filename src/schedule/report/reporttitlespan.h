#pragma once

#include <QString>

// A merged title cell above neighbouring columns that share the upper part of their titles.
struct ReportTitleSpan {
    int firstColumn = 0;
    int columnCount = 0;
    QString text;
};
