#include "storedvalue.h"

#include "data/connection.h"
#include "data/embedded/sqlitedatabase.h"
#include "data/query.h"

namespace testsupport {

QVariant StoredScheduleValue(const QString& dbFile, const QString& column, const QVariant& key) {
    Connection direct;
    direct.setConnectionString("User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" +
                               dbFile + "\"");
    direct.open();
    Query read(QString(), &direct);
    read.setSql({"SELECT " + column + " FROM ControlSchedule WHERE id_schedule = :k"});
    read.findParam("k")->setValue(key);
    read.open();
    return read.field(0)->value();
}

QList<QVariant> StoredColumn(const QString& dbFile, const QString& statement) {
    SqliteDatabase db;
    db.open(dbFile, SqliteDatabase::Mode::OpenExisting);
    StatementResult result;
    db.run(
        statement.toUtf8(), [](sqlite3_stmt*, int, const char*) {}, result);
    QList<QVariant> values;
    const int columns = static_cast<int>(result.columns.size());
    for (qsizetype cell = 0; columns > 0 && cell < result.cells.size(); cell += columns)
        values << result.cells[cell];
    return values;
}

} // namespace testsupport
