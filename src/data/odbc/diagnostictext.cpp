#include "diagnostictext.h"

#include <QRegularExpression>

namespace {

// Whether a bracketed tag before a diagnostic is one that the driver manager or the driver puts
// there to say who speaks: "[unixODBC][Driver Manager]", "[FreeTDS]", "[Microsoft][ODBC SQL Server
// Driver][DBNETLIB]", "[Microsoft][ODBC Driver 17 for SQL Server]".
bool IsComponentTag(const QString& tag) {
    static const QRegularExpression known(
        QStringLiteral("^(unixODBC|iODBC|Microsoft|Driver Manager|FreeTDS|ODBC .*|SQL Server Native Client.*|"
                       "SQL Native Client|DBNETLIB|DBMSLPCN|DBMSSOCN|Shared Memory|TCP/IP Sockets|"
                       "Named Pipes)$"));
    return known.match(tag).hasMatch();
}

} // namespace

QString WithoutDriverPrefixes(const QString& record) {
    qsizetype at = 0;
    while (at < record.size() && record[at] == '[') {
        const qsizetype close = record.indexOf(']', at + 1);
        if (close < 0)
            break;
        const QString tag = record.mid(at + 1, close - at - 1);
        // "[SQL Server]" names the data source: what follows it is the server's own text, which
        // may begin with brackets of its own.
        if (tag == QStringLiteral("SQL Server"))
            return record.mid(close + 1);
        if (!IsComponentTag(tag))
            break;
        at = close + 1;
    }
    return record.mid(at);
}

QString ProviderText(const QStringList& records) {
    QStringList messages;
    for (const QString& record : records) {
        const QString message = WithoutDriverPrefixes(record);
        if (!message.trimmed().isEmpty())
            messages.append(message);
    }
    // The driver's generic opening failure adds nothing to a message that says why.
    if (messages.size() > 1)
        messages.removeAll(QStringLiteral("Unable to connect to data source"));
    return messages.join(' ');
}
