#include "clashpass.h"

#include "data/connection.h"
#include "data/driver.h"

namespace {

QString Text(const std::function<QVariant(int)>& cell, int column) {
    return column < 0 ? QString() : cell(column).toString();
}

} // namespace

int ClashPass::ColumnOf(const QList<ColumnInfo>& columns, const char* name) {
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

ClashPass::Columns ClashPass::Locate(const QList<ColumnInfo>& columns) {
    Columns found;
    found.discipline = ColumnOf(columns, "Discipline");
    found.examiner = ColumnOf(columns, "t_fio");
    found.time = ColumnOf(columns, "Time_1");
    found.date = ColumnOf(columns, "Date_1");
    found.room = ColumnOf(columns, "Audience_1");
    found.key = ColumnOf(columns, "id_schedule");
    return found;
}

ClashEntry ClashPass::Entry(const Columns& columns, const std::function<QVariant(int)>& cell) {
    ClashEntry entry;
    entry.key = Text(cell, columns.key);
    entry.discipline = Text(cell, columns.discipline);
    entry.examiner = Text(cell, columns.examiner);
    entry.time = Text(cell, columns.time);
    entry.room = Text(cell, columns.room);
    if (columns.date >= 0) {
        const QVariant date = cell(columns.date);
        if (!date.isNull())
            entry.date = date.toDateTime().date();
    }
    return entry;
}

QString ClashPass::Period(const QVariant& year, const QVariant& semester) {
    if (year.isNull() || semester.isNull())
        return QString();
    return year.toString() + u'/' + semester.toString();
}

QString ClashPass::GroupsStatement() {
    return QStringLiteral("SELECT id_group, p20 AS [Group], id_faculty FROM [RatingView]\r\n"
                          "WHERE id_a_year = ? AND id_semester = ?\r\n"
                          "GROUP BY id_group, p20, id_faculty\r\n");
}

QString ClashPass::ScheduleStatement() {
    return QStringLiteral(
        "EXEC GetRatingTable @id_a_year = ?, @id_semester = ?, @id_faculty = ?, @id_group = ?\r\n");
}

std::vector<ClashEntry> ClashPass::Read(Connection& connection, const QVariant& year,
                                        const QVariant& semester, const std::function<bool()>& cancelled) {
    std::vector<ClashEntry> entries;
    if (cancelled())
        return entries;
    const QString period = Period(year, semester);
    const StatementResult groups = connection.run(GroupsStatement(), {year, semester});
    const QString schedule = ScheduleStatement();
    for (qsizetype row = 0; row < groups.rowCount(); ++row) {
        if (cancelled())
            return entries;
        const QVariant group = groups.cell(row, 0);
        const StatementResult result = connection.run(schedule, {year, semester, groups.cell(row, 2), group});
        const Columns columns = Locate(result.columns);
        for (qsizetype line = 0; line < result.rowCount(); ++line) {
            ClashEntry entry =
                Entry(columns, [&](int column) -> QVariant { return result.cell(line, column); });
            entry.period = period;
            entry.groupKey = group.toString();
            entry.group = groups.cell(row, 1).toString();
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}
