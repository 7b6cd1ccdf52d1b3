#pragma once

// The ODBC driver that a connection string is written for; each reads braced values its own way.
enum class OdbcDriverKind {
    // FreeTDS: a braced value runs to the first "};" and takes every other character as it is.
    FreeTds,
    // The system's "SQL Server" driver on Windows: a braced value ends at a lone '}', and "}}"
    // stands for one '}', as the ODBC rules have it.
    WindowsSqlServer,
};

// The driver of this build: the system's SQL Server driver on Windows, FreeTDS elsewhere.
inline OdbcDriverKind DefaultOdbcDriverKind() {
#ifdef _WIN32
    return OdbcDriverKind::WindowsSqlServer;
#else
    return OdbcDriverKind::FreeTds;
#endif
}
