#pragma once

#include "tfirstconnectinfo.h"

#include <QString>

// The provider's connection string for an account, keys in their fixed order and without a closing
// semicolon. Ordinary values stand as they are; a value that would break the key=value structure
// (it holds ';', '=', a quote, or leading or trailing blanks) is quoted the provider's way.
QString BuildConnectionString(const TFirstConnectInfo& info);

// Quotes one value for a connection string where it needs it; returns it unchanged otherwise.
QString QuoteConnectionValue(const QString& value);

// Close, set the string built from info, open. Errors of the opening reach the caller.
template <class Connection>
void ApplyConnectionString(Connection& connection, const TFirstConnectInfo& info) {
    connection.close();
    connection.setConnectionString(BuildConnectionString(info));
    connection.open();
}
