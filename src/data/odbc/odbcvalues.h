#pragma once

#include "odbcapi.h"
#include "odbccell.h"

#include <cstdint>
#include <string>
#include <vector>

// Values between the program's cells and the ODBC C API: the type a column is read as, parameters
// bound with their own types and the cells of a fetched row. Internal to the driver core.

// The text as the wide API takes it, without a copy; the text outlives the call that uses it.
inline SQLWCHAR* WideText(const std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.c_str()));
}

inline std::u16string FromWide(const SQLWCHAR* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// The type in which a column of the SQL type is read.
OdbcType TypeOfSqlType(SQLSMALLINT type);

// The width of a column's text, in characters; 0 when unknown or unbounded.
int TextSize(SQLULEN size);

// A parameter's value in the form bound to the statement; lives until the statement has run.
struct BoundValue {
    std::int64_t integer = 0;
    double number = 0;
    unsigned char bit = 0;
    SQL_TIMESTAMP_STRUCT stamp = {};
    std::u16string text;
    std::string bytes;
    SQLLEN indicator = 0;
};

// Binds the value as parameter number (from 1) with its own type, a NULL too; the slot holds what
// the statement reads when it runs.
SQLRETURN BindValue(SQLHSTMT statement, SQLUSMALLINT number, const OdbcCell& value, BoundValue& slot);

// One cell of the current row with its column's type, NULL of that type for NULL. The buffer is
// shared by every text and binary cell; values longer than it are read in pieces.
SQLRETURN ReadCell(SQLHSTMT statement, SQLUSMALLINT column, OdbcType type, std::vector<SQLWCHAR>& buffer,
                   OdbcCell& cell);
