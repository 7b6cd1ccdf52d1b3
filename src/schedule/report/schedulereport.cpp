#include "schedulereport.h"

#include "data/dataset.h"
#include "data/field.h"
#include "data/fieldreader.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "grid/titletree.h"

#include <optional>
#include <utility>
#include <vector>

ScheduleReport::ScheduleReport(ReportHeading heading, QList<ReportColumn> columns,
                               QList<QList<ReportCell>> rows)
    : m_heading(std::move(heading)), m_columns(std::move(columns)), m_rows(std::move(rows)) {}

ScheduleReport ScheduleReport::FromGrid(const ReportHeading& heading, const GridModel& grid) {
    QList<ReportColumn> columns;
    // A lookup's list is read once for the whole report.
    std::vector<std::optional<FieldReader>> fields;
    for (int index = 0; index < grid.columnCount(); ++index) {
        const TGridColumn& column = *grid.column(index);
        if (!column.visible())
            continue;
        const QString& caption = column.caption();
        const int lowerStart = TitleTree::secondWordStart(caption);
        const Field* field = grid.columnField(index);
        columns.append({column.fieldName(), TitleTree::upperPart(caption),
                        lowerStart < 0 ? QString() : caption.mid(lowerStart),
                        field != nullptr && field->kind() == FieldKind::DateTime});
        fields.emplace_back();
        if (field)
            fields.back().emplace(*field);
    }
    QList<QList<ReportCell>> rows;
    for (int record = 0; record < grid.recordCount(); ++record) {
        QList<ReportCell> row;
        for (qsizetype column = 0; column < columns.size(); ++column) {
            const std::optional<FieldReader>& field = fields[static_cast<std::size_t>(column)];
            if (!field) {
                row.append(ReportCell());
                continue;
            }
            ReportCell cell{field->textAt(record), {}};
            if (columns[column].holdsDates && !cell.text.isEmpty())
                cell.date = field->valueAt(record).toDateTime();
            row.append(cell);
        }
        rows.append(row);
    }
    return ScheduleReport(heading, columns, rows);
}

QString ScheduleReport::Title() {
    return QString::fromUtf8("График проведения контроля");
}

QStringList ScheduleReport::headingLines() const {
    QStringList lines{QString::fromUtf8("Учебный год: ") + m_heading.year,
                      QString::fromUtf8("Семестр: ") + m_heading.semester,
                      QString::fromUtf8("Факультет: ") + m_heading.faculty};
    if (!m_heading.group.isEmpty())
        lines << QString::fromUtf8("Группа: ") + m_heading.group;
    return lines + m_notes;
}

bool ScheduleReport::twoLevelTitles() const {
    for (const ReportColumn& column : m_columns) {
        if (!column.lowerTitle.isEmpty())
            return true;
    }
    return false;
}

QList<ReportTitleSpan> ScheduleReport::titleSpans() const {
    QList<ReportTitleSpan> spans;
    for (int column = 0; column < m_columns.size();) {
        const ReportColumn& first = m_columns[column];
        int end = column + 1;
        if (!first.lowerTitle.isEmpty()) {
            while (end < m_columns.size() && !m_columns[end].lowerTitle.isEmpty() &&
                   m_columns[end].upperTitle == first.upperTitle)
                ++end;
            spans.append({column, end - column, first.upperTitle});
        }
        column = end;
    }
    return spans;
}
