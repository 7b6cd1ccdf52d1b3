#pragma once

#include "reportcell.h"
#include "reportcolumn.h"
#include "reportheading.h"
#include "reporttitlespan.h"

#include <QList>
#include <QString>

class GridModel;

// A group's schedule as it is printed and exported, without any widget: the heading, the grid's
// columns with their two-level titles, and the rows in the grid's order with the texts the grid
// shows (dates in the grid's format, the control type's name).
class ScheduleReport {
public:
    ScheduleReport() = default;
    ScheduleReport(ReportHeading heading, QList<ReportColumn> columns, QList<QList<ReportCell>> rows);

    // The grid's visible columns and every record of its dataset (none while the dataset is closed).
    static ScheduleReport FromGrid(const ReportHeading& heading, const GridModel& grid);

    // The title above everything: "График проведения контроля".
    static QString Title();
    // This report's title: Title() unless set.
    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // The heading's lines, "Учебный год: 2025/2026" and so on, in the selectors' order (no group
    // line when the heading has no group), then the notes.
    QStringList headingLines() const;
    void setNotes(const QStringList& notes) { m_notes = notes; }
    // The name of its sheet in a workbook: the group's unless set.
    QString sheetName() const { return m_sheetName.isEmpty() ? m_heading.group : m_sheetName; }
    void setSheetName(const QString& name) { m_sheetName = name; }
    // How many leading columns stay in view when a sheet scrolls sideways.
    int frozenColumns() const { return m_frozenColumns; }
    void setFrozenColumns(int count) { m_frozenColumns = count; }

    const ReportHeading& heading() const { return m_heading; }
    const QList<ReportColumn>& columns() const { return m_columns; }
    const QList<QList<ReportCell>>& rows() const { return m_rows; }
    // Whether some column has a lower title, so the titles take two rows.
    bool twoLevelTitles() const;
    // The merged cells above runs of neighbouring two-level columns with equal upper titles.
    QList<ReportTitleSpan> titleSpans() const;

private:
    ReportHeading m_heading;
    QList<ReportColumn> m_columns;
    QList<QList<ReportCell>> m_rows;
    QString m_title = Title();
    QStringList m_notes;
    QString m_sheetName;
    int m_frozenColumns = 0;
};
