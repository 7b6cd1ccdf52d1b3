#include "odbcconnectionstring.h"

#include "data/connectionstringparser.h"
#include "data/dataerror.h"

namespace {

[[noreturn]] void cannotCarry(const QString& key, const QString& what) {
    throw DataError(QStringLiteral("The %1 holds %2, which the ODBC driver cannot pass on unchanged; "
                                   "the connection was not attempted.")
                        .arg(key, what));
}

} // namespace

OdbcDriverKind DefaultOdbcDriverKind() {
#ifdef Q_OS_WIN
    return OdbcDriverKind::WindowsSqlServer;
#else
    return OdbcDriverKind::FreeTds;
#endif
}

QString OdbcValue(const QString& key, const QString& value, OdbcDriverKind driver) {
    // The driver manager and the driver take the string as C text: a NUL would end it.
    if (value.contains(QChar(0)))
        cannotCarry(key, QStringLiteral("a character of code 0"));
    const bool edgeBlank = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool plain = !edgeBlank && !value.contains(';') && !value.contains('=') && !value.contains('{') &&
                       !value.contains('}');
    if (plain)
        return value;
    if (driver == OdbcDriverKind::FreeTds) {
        // FreeTDS ends a braced value at the first "};" and does not undo doubled braces, so a
        // value is braced as it is, and one that holds "};" cannot be written at all.
        if (value.contains(QStringLiteral("};")))
            cannotCarry(key, QStringLiteral("\"};\""));
        return '{' + value + '}';
    }
    QString escaped = value;
    escaped.replace('}', QStringLiteral("}}"));
    return '{' + escaped + '}';
}

QString BuildOdbcConnectionString(const ConnectionPairs& settings, OdbcDriverKind driver) {
    const auto value = [&](const char* key) {
        return ConnectionStringValue(settings, QString::fromLatin1(key));
    };
    const QString source = value("Data Source").trimmed();
    QString text;
    // key: the ODBC keyword; name: the provider's key, which a refusal names.
    const auto add = [&](const char* key, const char* name, const QString& item) {
        text += QString::fromLatin1(key) + '=' + OdbcValue(QString::fromLatin1(name), item, driver) + ';';
    };
    if (driver == OdbcDriverKind::WindowsSqlServer) {
        // The driver's name is braced once, here: it is not a value to be quoted again.
        text += QStringLiteral("DRIVER={SQL Server};");
        add("SERVER", "Data Source", source);
    } else {
        text += QStringLiteral("DRIVER={FreeTDS};");
        const qsizetype comma = source.indexOf(',');
        if (comma >= 0) {
            add("SERVER", "Data Source", source.left(comma).trimmed());
            add("PORT", "Data Source", source.mid(comma + 1).trimmed());
        } else {
            add("SERVER", "Data Source", source);
        }
        text += QStringLiteral("TDS_Version=7.4;");
        // The application's text reaches the driver as UTF-16; the driver translates to and from
        // the code page of each 8-bit column (Windows-1251 on the schedule's server).
        text += QStringLiteral("ClientCharset=UTF-8;");
    }
    add("DATABASE", "Initial Catalog", value("Initial Catalog"));
    add("UID", "User ID", value("User ID"));
    add("PWD", "Password", value("Password"));
    const QString packetSize = value("Packet Size").trimmed();
    if (driver == OdbcDriverKind::WindowsSqlServer)
        text += QStringLiteral("Encrypt=no;AutoTranslate=yes;");
    else
        text += QStringLiteral("Encryption=off;");
    if (!packetSize.isEmpty())
        add("PacketSize", "Packet Size", packetSize);
    return text;
}
