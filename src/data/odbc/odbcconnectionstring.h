#pragma once

#include "data/driver.h"
#include "data/odbc/odbcdriverkind.h"

#include <QString>

// The ODBC connection string for the provider connection string's pairs (Data Source, Initial
// Catalog, User ID, Password, Packet Size), as OdbcConnectionText writes it; raises DataError naming
// the key of a value the driver cannot carry unchanged.
QString BuildOdbcConnectionString(const ConnectionPairs& settings,
                                  OdbcDriverKind driver = DefaultOdbcDriverKind());

// An ODBC attribute value for the driver, as OdbcAttributeValue writes it; raises DataError naming
// `key` when the driver cannot carry the value.
QString OdbcValue(const QString& key, const QString& value, OdbcDriverKind driver);
