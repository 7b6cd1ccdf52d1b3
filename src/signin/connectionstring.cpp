#include "connectionstring.h"

QString QuoteConnectionValue(const QString& value) {
    const bool edgeBlank = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool needsQuotes = edgeBlank || value.contains(';') || value.contains('=') || value.contains('"') ||
                             value.contains('\'');
    if (!needsQuotes)
        return value;
    if (!value.contains('"'))
        return '"' + value + '"';
    if (!value.contains('\''))
        return '\'' + value + '\'';
    QString doubled = value;
    doubled.replace('"', QStringLiteral("\"\""));
    return '"' + doubled + '"';
}

QString BuildConnectionString(const TFirstConnectInfo& info) {
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + QuoteConnectionValue(info.Password) +
           QStringLiteral(";Persist Security Info=True;User ID=") + QuoteConnectionValue(info.UserName) +
           QStringLiteral(";Initial Catalog=") + QuoteConnectionValue(info.Database) +
           QStringLiteral(";Data Source=") + QuoteConnectionValue(info.Server) +
           QStringLiteral(";Use Procedure for Prepare=1;Auto Translate=True;") +
           QStringLiteral("Packet Size=4096;Use Encryption for Data=False;") +
           QStringLiteral("Tag with column collation when possible=False");
}
