#include "driverfactory.h"

#include "connectionstringparser.h"
#include "embedded/embeddeddriver.h"
#include "odbc/odbcdriver.h"

std::unique_ptr<Driver> CreateDriver(const ConnectionPairs& settings, const QString& databaseFolder) {
    const QString source = ConnectionStringValue(settings, QStringLiteral("Data Source")).trimmed();
    if (source.compare(QStringLiteral("embedded"), Qt::CaseInsensitive) == 0)
        return CreateEmbeddedDriver(databaseFolder);
    return std::make_unique<OdbcDriver>();
}
