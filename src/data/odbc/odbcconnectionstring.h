#pragma once

#include "data/driver.h"

#include <QString>

// The ODBC driver that a connection string is written for; each reads braced values its own way.
enum class OdbcDriverKind {
    // FreeTDS: a braced value runs to the first "};" and takes every other character as it is.
    FreeTds,
    // The system's "SQL Server" driver on Windows: a braced value ends at a lone '}', and "}}"
    // stands for one '}', as the ODBC rules have it.
    WindowsSqlServer,
};

// The driver of this build: the system's SQL Server driver on Windows, FreeTDS elsewhere.
OdbcDriverKind DefaultOdbcDriverKind();

// The ODBC connection string for the provider connection string's pairs: Data Source (host,
// host\instance or host,port) as the server, Initial Catalog as the database, User ID and Password,
// Packet Size, no encryption. FreeTDS speaks TDS 7.4 (without a fixed version it ignores the login
// timeout). Every value reaches the driver exactly as given; one that the driver cannot read back
// unchanged (a character of code 0, or "};" for FreeTDS) raises DataError naming its key, so that
// nothing altered is ever sent.
QString BuildOdbcConnectionString(const ConnectionPairs& settings,
                                  OdbcDriverKind driver = DefaultOdbcDriverKind());

// An ODBC attribute value for the driver, braced when it holds characters that would end it or
// that the driver would trim. Raises DataError naming `key` when the driver cannot carry the value.
QString OdbcValue(const QString& key, const QString& value, OdbcDriverKind driver);
