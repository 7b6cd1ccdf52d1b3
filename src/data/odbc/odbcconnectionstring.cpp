#include "odbcconnectionstring.h"

#include "data/dataerror.h"
#include "odbcerror.h"
#include "odbclogin.h"

QString OdbcValue(const QString& key, const QString& value, OdbcDriverKind driver) {
    try {
        return QString::fromStdU16String(
            OdbcAttributeValue(key.toStdU16String(), value.toStdU16String(), driver));
    } catch (const OdbcError& error) {
        throw DataError(QString::fromStdU16String(error.text()));
    }
}

QString BuildOdbcConnectionString(const ConnectionPairs& settings, OdbcDriverKind driver) {
    const auto value = [&](const char* key) {
        return ConnectionStringValue(settings, QString::fromLatin1(key)).toStdU16String();
    };
    const OdbcLogin login{value("Data Source"), value("Initial Catalog"), value("User ID"), value("Password"),
                          value("Packet Size")};
    try {
        return QString::fromStdU16String(OdbcConnectionText(login, driver));
    } catch (const OdbcError& error) {
        throw DataError(QString::fromStdU16String(error.text()));
    }
}
