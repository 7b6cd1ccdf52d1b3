#include "reportworkbook.h"

#include "platform/classicnumbers.h"
#include "reporterror.h"
#include "schedulereport.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>

namespace {

constexpr double MinWidth = 8;
constexpr double MaxWidth = 60;

void Check(lxw_error error) {
    if (error != LXW_NO_ERROR)
        throw ReportError(QString::fromUtf8("Не удалось составить книгу Excel: ") +
                          QString::fromUtf8(lxw_strerror(error)));
}

// The sheet's name: the group's, without the characters a sheet name cannot hold.
QByteArray SheetName(const QString& group) {
    QString name = group.simplified();
    for (QChar& character : name) {
        if (QStringLiteral("[]:*?/\\").contains(character))
            character = QLatin1Char('_');
    }
    name = name.left(31);
    return (name.isEmpty() ? QString::fromUtf8("График") : name).toUtf8();
}

lxw_datetime ExcelDateTime(const QDateTime& value) {
    const QDate date = value.date();
    const QTime time = value.time();
    return {date.year(), date.month(),  date.day(),
            time.hour(), time.minute(), time.second() + time.msec() / 1000.0};
}

lxw_format* BorderedFormat(lxw_workbook* workbook) {
    lxw_format* format = workbook_add_format(workbook);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_align(format, LXW_ALIGN_VERTICAL_TOP);
    format_set_text_wrap(format);
    return format;
}

} // namespace

QString ReportWorkbook::DateFormat() {
    const QString pattern = QLocale().dateFormat(QLocale::ShortFormat);
    QString format;
    for (const QChar character : pattern) {
        if (character == QLatin1Char('M'))
            format += QLatin1Char('m');
        else if (character == QLatin1Char('d') || character == QLatin1Char('y') || !character.isLetter())
            format += character;
        else
            format += QLatin1Char('\\') + character;
    }
    return format;
}

double ReportWorkbook::FittedWidth(const QStringList& texts) {
    qsizetype longest = 0;
    for (const QString& text : texts) {
        for (const QString& line : text.split(QLatin1Char('\n')))
            longest = std::max(longest, line.size());
    }
    return std::clamp(longest * 1.1 + 2, MinWidth, MaxWidth);
}

QByteArray ReportWorkbook::Xlsx(const ScheduleReport& report) {
    return Xlsx(QList<ScheduleReport>{report});
}

QByteArray ReportWorkbook::Xlsx(const QList<ScheduleReport>& reports) {
    // The library writes its numbers (column widths, margins) with the C library's formatting.
    const platform::ClassicNumbersScope decimalPoint;
    QTemporaryDir folder;
    if (!folder.isValid())
        throw ReportError(QString::fromUtf8("Не удалось создать временную папку: ") + folder.errorString());
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("schedule.xlsx")));
    QByteArray tmpdir = QFile::encodeName(folder.path());
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
    if (workbook == nullptr)
        throw ReportError(QString::fromUtf8("Не удалось составить книгу Excel."));
    try {
        lxw_format* titleFont = workbook_add_format(workbook);
        format_set_bold(titleFont);
        format_set_font_size(titleFont, 14);
        lxw_format* header = BorderedFormat(workbook);
        format_set_bold(header);
        format_set_align(header, LXW_ALIGN_CENTER);
        format_set_align(header, LXW_ALIGN_VERTICAL_CENTER);
        format_set_bg_color(header, 0xE1E1E1);
        lxw_format* text = BorderedFormat(workbook);
        lxw_format* date = BorderedFormat(workbook);
        format_set_align(date, LXW_ALIGN_LEFT);
        const QByteArray dateFormat = DateFormat().toUtf8();
        format_set_num_format(date, dateFormat.constData());
        lxw_format* dateTime = BorderedFormat(workbook);
        format_set_align(dateTime, LXW_ALIGN_LEFT);
        const QByteArray dateTimeFormat = (DateFormat() + QStringLiteral(" hh:mm:ss")).toUtf8();
        format_set_num_format(dateTime, dateTimeFormat.constData());
        // A day's title: the weekday in Russian whatever the reader's language, then the date.
        lxw_format* dayHeader = BorderedFormat(workbook);
        format_set_bold(dayHeader);
        format_set_align(dayHeader, LXW_ALIGN_CENTER);
        format_set_align(dayHeader, LXW_ALIGN_VERTICAL_CENTER);
        format_set_bg_color(dayHeader, 0xE1E1E1);
        format_set_num_format(dayHeader, "[$-419]ddd dd.mm.yyyy");

        for (const ScheduleReport& report : reports) {
            lxw_worksheet* sheet =
                workbook_add_worksheet(workbook, SheetName(report.sheetName()).constData());
            if (sheet == nullptr)
                throw ReportError(QString::fromUtf8("Не удалось составить книгу Excel."));

            Check(worksheet_write_string(sheet, 0, 0, report.title().toUtf8().constData(), titleFont));
            const QStringList heading = report.headingLines();
            for (qsizetype line = 0; line < heading.size(); ++line)
                Check(worksheet_write_string(sheet, static_cast<lxw_row_t>(line + 1), 0,
                                             heading[line].toUtf8().constData(), nullptr));

            const QList<ReportColumn>& columns = report.columns();
            const bool twoLevels = report.twoLevelTitles();
            // Below the heading and a blank row; a longer heading moves the titles down.
            const lxw_row_t upper =
                std::max(static_cast<lxw_row_t>(TitleRow), static_cast<lxw_row_t>(heading.size() + 2));
            const lxw_row_t lower = twoLevels ? TitleRow + 1 : TitleRow;
            for (qsizetype index = 0; index < columns.size(); ++index) {
                const ReportColumn& column = columns[index];
                const auto col = static_cast<lxw_col_t>(index);
                if (column.titleDate.isValid() && column.lowerTitle.isEmpty() && lower == upper) {
                    lxw_datetime day = ExcelDateTime(column.titleDate.startOfDay());
                    Check(worksheet_write_datetime(sheet, upper, col, &day, dayHeader));
                } else if (column.lowerTitle.isEmpty() && lower != upper)
                    Check(worksheet_merge_range(sheet, upper, col, lower, col,
                                                column.upperTitle.toUtf8().constData(), header));
                else if (column.lowerTitle.isEmpty())
                    Check(worksheet_write_string(sheet, upper, col, column.upperTitle.toUtf8().constData(),
                                                 header));
                else
                    Check(worksheet_write_string(sheet, lower, col, column.lowerTitle.toUtf8().constData(),
                                                 header));
            }
            for (const ReportTitleSpan& span : report.titleSpans()) {
                const auto first = static_cast<lxw_col_t>(span.firstColumn);
                const auto last = static_cast<lxw_col_t>(span.firstColumn + span.columnCount - 1);
                if (first == last)
                    Check(
                        worksheet_write_string(sheet, upper, first, span.text.toUtf8().constData(), header));
                else
                    Check(worksheet_merge_range(sheet, upper, first, upper, last,
                                                span.text.toUtf8().constData(), header));
            }

            const lxw_row_t firstData = lower + 1;
            const QList<QList<ReportCell>>& rows = report.rows();
            for (qsizetype row = 0; row < rows.size(); ++row) {
                const auto sheetRow = static_cast<lxw_row_t>(firstData + row);
                for (qsizetype index = 0; index < rows[row].size() && index < columns.size(); ++index) {
                    const ReportCell& cell = rows[row][index];
                    const auto col = static_cast<lxw_col_t>(index);
                    if (columns[index].holdsDates && cell.date.isValid()) {
                        lxw_datetime value = ExcelDateTime(cell.date);
                        Check(worksheet_write_datetime(sheet, sheetRow, col, &value,
                                                       cell.date.time() == QTime(0, 0) ? date : dateTime));
                    } else if (cell.text.isEmpty()) {
                        Check(worksheet_write_blank(sheet, sheetRow, col, text));
                    } else {
                        Check(worksheet_write_string(sheet, sheetRow, col, cell.text.toUtf8().constData(),
                                                     text));
                    }
                }
            }

            for (qsizetype index = 0; index < columns.size(); ++index) {
                QStringList texts{columns[index].lowerTitle.isEmpty() ? columns[index].upperTitle
                                                                      : columns[index].lowerTitle};
                for (const QList<ReportCell>& row : rows) {
                    if (index < row.size())
                        texts << row[index].text;
                }
                const auto col = static_cast<lxw_col_t>(index);
                Check(worksheet_set_column(sheet, col, col, FittedWidth(texts), nullptr));
            }
            // The merged upper title wraps within its span; its row is made tall enough for two lines.
            if (twoLevels)
                Check(worksheet_set_row(sheet, upper, 30, nullptr));
            worksheet_freeze_panes(sheet, firstData, static_cast<lxw_col_t>(report.frozenColumns()));
            worksheet_set_paper(sheet, 9); // A4
            worksheet_set_landscape(sheet);
            worksheet_repeat_rows(sheet, upper, lower);
        }
    } catch (...) {
        workbook_close(workbook);
        throw;
    }
    Check(workbook_close(workbook));
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QString::fromUtf8("Не удалось прочитать книгу Excel: ") + file.errorString());
    return file.readAll();
}
