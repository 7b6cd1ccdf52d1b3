#pragma once

// The ODBC C API: unixODBC's headers here, the system's on Windows, where they rely on the base
// types of <windows.h> being declared first. The one place outside the platform layer that takes
// system headers, as ODBC is the SQL Server client library.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

#include <sql.h>
#include <sqlext.h>

// Statement texts and wide columns pass as the program's own UTF-16 code units, without conversion.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16 code units");
