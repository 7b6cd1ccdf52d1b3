#include "benchsupport.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <sqlite3.h>

namespace benchsupport {

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString ProcedureBody(const QString& name) {
    QFile file(QStringLiteral(ZOR_DB_FOLDER "/procedures/") + name + QStringLiteral(".sql"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void CopyRow(sqlite3_stmt* statement, std::vector<QVariant>& cells) {
    const int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(statement, i)) {
        case SQLITE_INTEGER:
            cells.emplace_back(static_cast<qlonglong>(sqlite3_column_int64(statement, i)));
            break;
        case SQLITE_FLOAT:
            cells.emplace_back(sqlite3_column_double(statement, i));
            break;
        case SQLITE_NULL:
            cells.emplace_back();
            break;
        default:
            cells.emplace_back(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, i)),
                                  sqlite3_column_bytes(statement, i)));
        }
    }
}

} // namespace benchsupport
