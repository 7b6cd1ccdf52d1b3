#include "storedvalue.h"

#include "data/connection.h"
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

} // namespace testsupport
