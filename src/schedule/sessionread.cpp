#include "sessionread.h"

#include "clashpass.h"
#include "data/connection.h"
#include "data/driver.h"
#include "data/field.h"
#include "data/query.h"

#include <algorithm>

namespace {

int ColumnOf(const QList<ColumnInfo>& columns, const char* name) {
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (columns[i].name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

// Where the columns beyond the clash pass's are in a result of GetRatingTable.
struct MoreColumns {
    int department = -1;
    int form = -1;
    int typeKey = -1;

    explicit MoreColumns(const QList<ColumnInfo>& columns)
        : department(ColumnOf(columns, "Kafedra")), form(ColumnOf(columns, "FKontr")),
          typeKey(ColumnOf(columns, "id_typeControl_1")) {}
};

SessionEntry MakeEntry(const ClashPass::Columns& columns, const MoreColumns& more,
                       const std::function<QVariant(int)>& cell) {
    SessionEntry entry;
    entry.clash = ClashPass::Entry(columns, cell);
    if (more.department >= 0)
        entry.department = cell(more.department).toString();
    if (more.form >= 0)
        entry.form = cell(more.form).toString();
    if (columns.date >= 0) {
        const QVariant date = cell(columns.date);
        if (!date.isNull())
            entry.dateTime = date.toDateTime();
    }
    return entry;
}

} // namespace

QString SessionRead::GroupsStatement() {
    return QStringLiteral("SELECT id_group, p20 AS [Group] FROM [RatingView]\r\n"
                          "WHERE id_a_year = ? AND id_semester = ? AND id_faculty = ?\r\n"
                          "GROUP BY id_group, p20\r\n");
}

QString SessionRead::TypesStatement() {
    return QStringLiteral("SELECT id_typeControl, typeControl FROM [TypeControl]\r\n");
}

SessionRead::Result SessionRead::Read(Connection& connection, const QVariant& year, const QVariant& semester,
                                      const QVariant& faculty, const std::function<bool()>& cancelled,
                                      const Progress& progress) {
    Result read;
    if (cancelled())
        return read;
    const QString period = ClashPass::Period(year, semester);
    QHash<qint64, QString> types;
    {
        const StatementResult result = connection.run(TypesStatement(), {});
        for (qsizetype row = 0; row < result.rowCount(); ++row)
            types.insert(result.cell(row, 0).toLongLong(), result.cell(row, 1).toString());
    }
    if (cancelled())
        return read;
    const StatementResult groups = connection.run(GroupsStatement(), {year, semester, faculty});
    for (qsizetype row = 0; row < groups.rowCount(); ++row)
        read.groups.push_back({groups.cell(row, 0).toString(), groups.cell(row, 1).toString()});
    std::stable_sort(read.groups.begin(), read.groups.end(),
                     [](const SessionGroup& a, const SessionGroup& b) { return a.name < b.name; });
    const int total = static_cast<int>(read.groups.size());
    if (progress)
        progress(0, total);
    const QString schedule = ClashPass::ScheduleStatement();
    for (int index = 0; index < total; ++index) {
        if (cancelled())
            return read;
        const SessionGroup& group = read.groups[index];
        const StatementResult result = connection.run(schedule, {year, semester, faculty, group.key});
        const ClashPass::Columns columns = ClashPass::Locate(result.columns);
        const MoreColumns more(result.columns);
        for (qsizetype line = 0; line < result.rowCount(); ++line) {
            SessionEntry entry =
                MakeEntry(columns, more, [&](int column) { return result.cell(line, column); });
            entry.clash.period = period;
            entry.clash.groupKey = group.key;
            entry.clash.group = group.name;
            if (more.typeKey >= 0) {
                const QVariant typeKey = result.cell(line, more.typeKey);
                if (!typeKey.isNull())
                    entry.type = types.value(typeKey.toLongLong());
            }
            entry.row = static_cast<int>(line);
            read.entries.push_back(std::move(entry));
        }
        if (progress)
            progress(index + 1, total);
    }
    return read;
}

SessionEntry SessionRead::EntryOfRecord(const Query& schedule, int record, const QString& period,
                                        const QString& groupKey, const QString& groupName) {
    const QList<ColumnInfo> resultColumns = schedule.columns();
    SessionEntry entry = MakeEntry(ClashPass::Locate(resultColumns), MoreColumns(resultColumns),
                                   [&](int column) { return schedule.cellAt(record, column); });
    entry.clash.period = period;
    entry.clash.groupKey = groupKey;
    entry.clash.group = groupName;
    if (const Field* type = schedule.fieldByName(QStringLiteral("TypeControl")))
        entry.type = type->valueAt(record).toString();
    entry.row = record;
    return entry;
}
