#pragma once

#include <QByteArray>
#include <QDate>

class QPagedPaintDevice;
class ScheduleReport;

// The printed schedule: A4 pages with the title and heading on the first, the table with its
// two-level titles repeated at the top of every page, rows that do not fit moved whole to the next
// page, and a footer with the date of printing and "Страница n из m". The same painting goes to a
// printer and to a PDF file.
class ReportPages {
public:
    // Sets A4, landscape (the grid's eight columns need the width), and the page margins on a printer
    // or PDF writer.
    static void SetUpPage(QPagedPaintDevice& device);
    // Paints the report on a device set up by SetUpPage, starting on its current page.
    static void Paint(const ScheduleReport& report, QPagedPaintDevice& device, const QDate& printed);
    // The report as a PDF document.
    static QByteArray Pdf(const ScheduleReport& report, const QDate& printed);
    // "Напечатано: 14.01.2027".
    static QString PrintedText(const QDate& printed);
    // "Страница 2 из 3".
    static QString PageNumberText(int page, int pageCount);
};
