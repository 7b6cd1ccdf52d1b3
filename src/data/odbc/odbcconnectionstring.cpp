#include "odbcconnectionstring.h"

#include "data/connectionstringparser.h"

QString OdbcValue(const QString& value) {
    const bool plain = !value.contains(';') && !value.contains('{') && !value.contains('}') &&
                       !value.contains('=') &&
                       (value.isEmpty() || (!value.front().isSpace() && !value.back().isSpace()));
    if (plain)
        return value;
    QString escaped = value;
    escaped.replace('}', QStringLiteral("}}"));
    return '{' + escaped + '}';
}

QString BuildOdbcConnectionString(const ConnectionPairs& settings) {
    const auto value = [&](const char* key) {
        return ConnectionStringValue(settings, QString::fromLatin1(key));
    };
    const QString source = value("Data Source").trimmed();
    QString text;
    const auto add = [&](const QString& key, const QString& item) {
        text += key + '=' + OdbcValue(item) + ';';
    };
#ifdef Q_OS_WIN
    add(QStringLiteral("DRIVER"), QStringLiteral("{SQL Server}"));
    add(QStringLiteral("SERVER"), source);
#else
    text += QStringLiteral("DRIVER={FreeTDS};");
    const qsizetype comma = source.indexOf(',');
    if (comma >= 0) {
        add(QStringLiteral("SERVER"), source.left(comma).trimmed());
        add(QStringLiteral("PORT"), source.mid(comma + 1).trimmed());
    } else {
        add(QStringLiteral("SERVER"), source);
    }
    text += QStringLiteral("TDS_Version=7.4;");
    // The application's text reaches the driver as UTF-16; the driver translates to and from the
    // code page of each 8-bit column (Windows-1251 on the schedule's server).
    text += QStringLiteral("ClientCharset=UTF-8;");
#endif
    add(QStringLiteral("DATABASE"), value("Initial Catalog"));
    add(QStringLiteral("UID"), value("User ID"));
    add(QStringLiteral("PWD"), value("Password"));
    const QString packetSize = value("Packet Size").trimmed();
#ifdef Q_OS_WIN
    text += QStringLiteral("Encrypt=no;AutoTranslate=yes;");
    if (!packetSize.isEmpty())
        add(QStringLiteral("PacketSize"), packetSize);
#else
    text += QStringLiteral("Encryption=off;");
    if (!packetSize.isEmpty())
        add(QStringLiteral("PacketSize"), packetSize);
#endif
    return text;
}
