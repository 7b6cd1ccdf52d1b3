#pragma once

#include "data/driver.h"

#include <QString>

// The ODBC connection string for the provider connection string's pairs: Data Source (host,
// host\instance or host,port) as the server, Initial Catalog as the database, User ID and Password,
// Packet Size, no encryption. Here the driver is FreeTDS, speaking TDS 7.4 (without a fixed
// version it ignores the login timeout); on Windows the system's SQL Server driver.
QString BuildOdbcConnectionString(const ConnectionPairs& settings);

// An ODBC attribute value, braced when it holds characters that would end it.
QString OdbcValue(const QString& value);
