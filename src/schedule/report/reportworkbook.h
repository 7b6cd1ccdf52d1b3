#pragma once

#include <QByteArray>
#include <QString>

class ScheduleReport;

// The schedule as an Excel workbook of one sheet: the title and heading, the two title rows with
// the merged title over columns that share an upper title (single-level titles span both rows),
// the rows with real date cells in the grid's date format, column widths fitted to the texts, and
// the panes frozen below the titles.
class ReportWorkbook {
public:
    // The row (0-based) of the upper title row below a heading of up to four lines; the data start
    // two rows below it.
    static constexpr int TitleRow = 6;

    // The workbook's bytes; raises ReportError when the library fails.
    static QByteArray Xlsx(const ScheduleReport& report);
    // A workbook of several reports, one sheet each, named by their sheet names.
    static QByteArray Xlsx(const QList<ScheduleReport>& reports);
    // Excel's number format for the grid's short date ("dd.MM.yyyy" becomes "dd.mm.yyyy").
    static QString DateFormat();
    // A width in Excel's character units that fits the longest line of the texts, within bounds.
    static double FittedWidth(const QStringList& texts);
};
