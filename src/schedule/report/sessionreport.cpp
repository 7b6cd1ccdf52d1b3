#include "sessionreport.h"

#include "reportfile.h"
#include "reportworkbook.h"
#include "schedule/overview/sessiondaymodel.h"
#include "schedule/overview/sessionlistmodel.h"
#include "schedule/overview/sessionoverview.h"

namespace {

ReportHeading HeadingOf(const SessionOverview& overview) {
    const SessionOverview::Scope& scope = overview.scope();
    return {scope.yearText, scope.semesterText, scope.facultyText, QString()};
}

QStringList FilterNotes(const SessionFilter& filter) {
    QStringList parts;
    const auto add = [&parts](const char* what, const QString& text) {
        if (!text.trimmed().isEmpty())
            parts << QString::fromUtf8(what) + QString::fromUtf8(" «") + text.trimmed() +
                         QString::fromUtf8("»");
    };
    add("группа", filter.group);
    add("экзаменатор", filter.examiner);
    add("аудитория", filter.room);
    if (parts.isEmpty())
        return {};
    return {QString::fromUtf8("Отбор: ") + parts.join(QStringLiteral(", "))};
}

} // namespace

QString SessionReport::Title() {
    return QString::fromUtf8("Сводный график проведения контроля");
}

ScheduleReport SessionReport::List(const SessionOverview& overview) {
    QList<ReportColumn> columns;
    for (int column = 0; column < SessionListModel::ColumnCount; ++column)
        columns.append({SessionListModel::MarkedField(column), SessionListModel::ColumnTitle(column),
                        QString(), column == SessionListModel::Date});
    QList<QList<ReportCell>> rows;
    for (const SessionListModel::Part part :
         {SessionListModel::Part::Dated, SessionListModel::Part::Undated}) {
        const SessionListModel model(overview, part);
        for (int row = 0; row < model.rowCount(); ++row) {
            const SessionEntry& entry = model.entryAt(row);
            QList<ReportCell> cells;
            for (int column = 0; column < SessionListModel::ColumnCount; ++column)
                cells.append({SessionListModel::CellText(entry, column),
                              column == SessionListModel::Date ? entry.dateTime : QDateTime()});
            rows.append(cells);
        }
    }
    ScheduleReport report(HeadingOf(overview), columns, rows);
    report.setTitle(Title());
    report.setNotes(FilterNotes(overview.filter()));
    report.setSheetName(QString::fromUtf8("Список"));
    return report;
}

ScheduleReport SessionReport::Days(const SessionOverview& overview) {
    const SessionDayModel model(overview);
    QList<ReportColumn> columns{{QString(), QString::fromUtf8("Группа"), QString(), false}};
    for (int column = 0; column < model.columnCount(); ++column)
        columns.append(
            {QString(), SessionDayModel::DayTitle(model.day(column)), QString(), false, model.day(column)});
    QList<QList<ReportCell>> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QList<ReportCell> cells{{model.groupName(row), {}}};
        for (int column = 0; column < model.columnCount(); ++column)
            cells.append({model.data(model.index(row, column)).toString(), {}});
        rows.append(cells);
    }
    ScheduleReport report(HeadingOf(overview), columns, rows);
    report.setTitle(Title());
    report.setNotes(FilterNotes(overview.filter()));
    report.setSheetName(QString::fromUtf8("По дням"));
    report.setFrozenColumns(1);
    return report;
}

QByteArray SessionReport::Xlsx(const SessionOverview& overview) {
    return ReportWorkbook::Xlsx(QList<ScheduleReport>{List(overview), Days(overview)});
}

QString SessionReport::SuggestedFileName(const SessionOverview& overview, const QString& extension) {
    ReportHeading heading = HeadingOf(overview);
    heading.group = overview.scope().facultyText;
    return SuggestedReportFileName(heading, extension);
}
