#pragma once

#include "odbcdriverkind.h"

#include <string>

// What the ODBC connection string is made of: the provider connection string's Data Source (host,
// host\instance or host,port), Initial Catalog, User ID, Password and Packet Size (empty: the
// driver's own).
struct OdbcLogin {
    std::u16string dataSource;
    std::u16string catalog;
    std::u16string user;
    std::u16string password;
    std::u16string packetSize;
};

// The ODBC connection string for the driver: Data Source as the server, Initial Catalog as the
// database, no encryption. FreeTDS speaks TDS 7.4 (without a fixed version it ignores the login
// timeout). Every value reaches the driver exactly as given; one that the driver cannot read back
// unchanged (a character of code 0, or "};" for FreeTDS) raises OdbcError naming the provider's key,
// so that nothing altered is ever sent.
std::u16string OdbcConnectionText(const OdbcLogin& login, OdbcDriverKind driver = DefaultOdbcDriverKind());

// An ODBC attribute value for the driver, braced when it holds characters that would end it or that
// the driver would trim. Raises OdbcError naming `key` when the driver cannot carry the value.
std::u16string OdbcAttributeValue(const std::u16string& key, const std::u16string& value,
                                  OdbcDriverKind driver);
