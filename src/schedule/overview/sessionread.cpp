#include "sessionread.h"

#include "data/connection.h"
#include "data/driver.h"
#include "data/field.h"
#include "data/query.h"
#include "schedule/clashes/clashpass.h"
#include "schedule/clashes/clashrules.h"

#include <algorithm>

namespace {

// Where the fields of an entry are in a result of GetRatingTable; -1 for a missing column.
struct Columns {
    ClashPass::Columns clash;
    int department = -1;
    int form = -1;
    int typeKey = -1;

    explicit Columns(const QList<ColumnInfo>& columns)
        : clash(ClashPass::Locate(columns)), department(ClashPass::ColumnOf(columns, "Kafedra")),
          form(ClashPass::ColumnOf(columns, "FKontr")),
          typeKey(ClashPass::ColumnOf(columns, "id_typeControl_1")) {}
};

// An entry from a result row; cell(i) gives the row's value of column i. Each value is read once:
// the whole faculty's rows go through here.
template <typename Cell> SessionEntry MakeEntry(const Columns& columns, const Cell& cell) {
    const auto text = [&cell](int column) { return column < 0 ? QString() : cell(column).toString(); };
    SessionEntry entry;
    entry.clash.key = text(columns.clash.key);
    entry.clash.discipline = text(columns.clash.discipline);
    entry.clash.examiner = text(columns.clash.examiner);
    entry.clash.time = text(columns.clash.time);
    entry.clash.room = text(columns.clash.room);
    entry.department = text(columns.department);
    entry.form = text(columns.form);
    if (columns.clash.date >= 0) {
        const QVariant& date = cell(columns.clash.date);
        if (!date.isNull()) {
            entry.dateTime = date.toDateTime();
            entry.clash.date = entry.dateTime.date();
        }
    }
    entry.start = ClashRules::StartKey(entry.clash.time);
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
    StatementResult result;
    for (int index = 0; index < total; ++index) {
        if (cancelled())
            return read;
        const SessionGroup& group = read.groups[index];
        // Each result's cells go into the storage of the one before.
        result = connection.run(schedule, {year, semester, faculty, group.key}, std::move(result.cells));
        const Columns columns(result.columns);
        // Room for as many rows a group as the first had, so that the entries are not moved again
        // and again.
        if (index == 0)
            read.entries.reserve(static_cast<std::size_t>(result.rowCount()) * total + 16);
        for (qsizetype line = 0; line < result.rowCount(); ++line) {
            SessionEntry entry =
                MakeEntry(columns, [&](int column) -> const QVariant& { return result.cell(line, column); });
            entry.clash.period = period;
            entry.clash.groupKey = group.key;
            entry.clash.group = group.name;
            if (columns.typeKey >= 0) {
                const QVariant& typeKey = result.cell(line, columns.typeKey);
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
    SessionEntry entry = MakeEntry(Columns(schedule.columns()), [&](int column) -> const QVariant& {
        return schedule.cellAt(record, column);
    });
    entry.clash.period = period;
    entry.clash.groupKey = groupKey;
    entry.clash.group = groupName;
    if (const Field* type = schedule.fieldByName(QStringLiteral("TypeControl")))
        entry.type = type->valueAt(record).toString();
    entry.row = record;
    return entry;
}
