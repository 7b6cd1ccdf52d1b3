#include "odbcvalues.h"

#include <algorithm>
#include <climits>

OdbcType TypeOfSqlType(SQLSMALLINT type) {
    switch (type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
        return OdbcType::AnsiText;
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
        return OdbcType::Integer;
    case SQL_BIGINT:
        return OdbcType::BigInt;
    case SQL_BIT:
        return OdbcType::Bit;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
        return OdbcType::Double;
    case SQL_DATETIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
        return OdbcType::Timestamp;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return OdbcType::Binary;
    default:
        // Unicode text, and whatever else the server has (times, GUIDs, ...) read as its text.
        return OdbcType::WideText;
    }
}

int TextSize(SQLULEN size) {
    return size > static_cast<SQLULEN>(INT_MAX) ? 0 : static_cast<int>(size);
}

// Binds the value with its own type; a null binds SQL NULL of that type, so the server never
// sees an untyped (binary) NULL it would refuse to assign to a date or text column.
SQLRETURN BindValue(SQLHSTMT statement, SQLUSMALLINT number, const OdbcCell& value, BoundValue& slot) {
    const bool null = value.null;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 1;
    SQLSMALLINT digits = 0;
    SQLPOINTER data = nullptr;
    SQLLEN capacity = 0;
    switch (value.type) {
    case OdbcType::Bit:
        slot.bit = !null && value.bit ? 1 : 0;
        cType = SQL_C_BIT;
        sqlType = SQL_BIT;
        data = &slot.bit;
        capacity = sizeof slot.bit;
        break;
    case OdbcType::Integer:
    case OdbcType::BigInt:
        slot.integer = null ? 0 : value.integer;
        cType = SQL_C_SBIGINT;
        sqlType = value.type == OdbcType::Integer ? SQL_INTEGER : SQL_BIGINT;
        columnSize = value.type == OdbcType::Integer ? 10 : 19;
        data = &slot.integer;
        capacity = sizeof slot.integer;
        break;
    case OdbcType::Double:
        slot.number = null ? 0 : value.number;
        cType = SQL_C_DOUBLE;
        sqlType = SQL_DOUBLE;
        columnSize = 15;
        data = &slot.number;
        capacity = sizeof slot.number;
        break;
    case OdbcType::Timestamp:
        if (!null) {
            const OdbcTimestamp& moment = value.stamp;
            slot.stamp.year = static_cast<SQLSMALLINT>(moment.year);
            slot.stamp.month = static_cast<SQLUSMALLINT>(moment.month);
            slot.stamp.day = static_cast<SQLUSMALLINT>(moment.day);
            slot.stamp.hour = static_cast<SQLUSMALLINT>(moment.hour);
            slot.stamp.minute = static_cast<SQLUSMALLINT>(moment.minute);
            slot.stamp.second = static_cast<SQLUSMALLINT>(moment.second);
            slot.stamp.fraction = static_cast<SQLUINTEGER>(moment.millisecond) * 1000000u;
        }
        // The server's datetime: yyyy-mm-dd hh:mm:ss.fff
        cType = SQL_C_TYPE_TIMESTAMP;
        sqlType = SQL_TYPE_TIMESTAMP;
        columnSize = 23;
        digits = 3;
        data = &slot.stamp;
        capacity = sizeof slot.stamp;
        break;
    case OdbcType::Binary:
        if (!null)
            slot.bytes = value.bytes;
        cType = SQL_C_BINARY;
        sqlType = slot.bytes.size() > 8000 ? SQL_LONGVARBINARY : SQL_VARBINARY;
        columnSize = std::max<SQLULEN>(1, slot.bytes.size());
        data = slot.bytes.data();
        capacity = static_cast<SQLLEN>(slot.bytes.size());
        break;
    case OdbcType::AnsiText:
    case OdbcType::WideText:
        if (!null)
            slot.text = value.text;
        cType = SQL_C_WCHAR;
        sqlType = slot.text.size() > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        columnSize = std::max<SQLULEN>(1, slot.text.size());
        data = WideText(slot.text);
        capacity = static_cast<SQLLEN>(slot.text.size() * sizeof(SQLWCHAR));
        break;
    }
    slot.indicator = null ? SQL_NULL_DATA : capacity;
    return SQLBindParameter(statement, number, SQL_PARAM_INPUT, cType, sqlType, columnSize, digits, data,
                            capacity, &slot.indicator);
}

namespace {

// Whether SQLGetData left part of the value for the next call: the indicator holds what was
// available before this call, which did not fit with room for the terminator (reserve bytes).
bool Truncated(SQLRETURN rc, SQLLEN indicator, SQLLEN capacity, SQLLEN reserve) {
    return rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator > capacity - reserve);
}

// A text cell as UTF-16, in as many pieces as the buffer needs; the ODBC driver converts 8-bit
// columns from the server's code page, whole characters in every piece.
SQLRETURN ReadText(SQLHSTMT statement, SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer, OdbcCell& cell) {
    const SQLLEN capacity = static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR));
    const auto piece = [&](SQLRETURN rc, SQLLEN indicator) -> std::size_t {
        if (Truncated(rc, indicator, capacity, sizeof(SQLWCHAR)))
            return buffer.size() - 1;
        if (indicator == SQL_NO_TOTAL)
            return static_cast<std::size_t>(std::find(buffer.begin(), buffer.end() - 1, SQLWCHAR(0)) -
                                            buffer.begin());
        return static_cast<std::size_t>(indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR)));
    };
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(statement, column, SQL_C_WCHAR, buffer.data(), capacity, &indicator);
    if (rc == SQL_NO_DATA) {
        cell.null = false;
        return SQL_SUCCESS;
    }
    if (!SQL_SUCCEEDED(rc) || indicator == SQL_NULL_DATA)
        return rc;
    cell.null = false;
    if (indicator != SQL_NO_TOTAL && Truncated(rc, indicator, capacity, sizeof(SQLWCHAR)))
        cell.text.reserve(static_cast<std::size_t>(indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR))));
    for (;;) {
        cell.text.append(reinterpret_cast<const char16_t*>(buffer.data()), piece(rc, indicator));
        if (!Truncated(rc, indicator, capacity, sizeof(SQLWCHAR)))
            break;
        rc = SQLGetData(statement, column, SQL_C_WCHAR, buffer.data(), capacity, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            return rc;
    }
    return SQL_SUCCESS;
}

SQLRETURN ReadBytes(SQLHSTMT statement, SQLUSMALLINT column, std::vector<SQLWCHAR>& buffer, OdbcCell& cell) {
    const SQLLEN capacity = static_cast<SQLLEN>(buffer.size() * sizeof(SQLWCHAR));
    const char* data = reinterpret_cast<const char*>(buffer.data());
    for (bool first = true;; first = false) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_BINARY, buffer.data(), capacity, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            return rc;
        if (indicator == SQL_NULL_DATA)
            return rc;
        cell.null = false;
        const bool truncated = Truncated(rc, indicator, capacity, 0);
        if (first && truncated && indicator != SQL_NO_TOTAL)
            cell.bytes.reserve(static_cast<std::size_t>(indicator));
        cell.bytes.append(data, static_cast<std::size_t>(truncated ? capacity : indicator));
        if (!truncated)
            break;
    }
    cell.null = false;
    return SQL_SUCCESS;
}

} // namespace

SQLRETURN ReadCell(SQLHSTMT statement, SQLUSMALLINT column, OdbcType type, std::vector<SQLWCHAR>& buffer,
                   OdbcCell& cell) {
    cell = OdbcCell::Null(type);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQL_SUCCESS;
    switch (type) {
    case OdbcType::Integer:
    case OdbcType::BigInt: {
        std::int64_t number = 0;
        rc = SQLGetData(statement, column, SQL_C_SBIGINT, &number, sizeof number, &indicator);
        cell.integer = number;
        break;
    }
    case OdbcType::Double:
        rc = SQLGetData(statement, column, SQL_C_DOUBLE, &cell.number, sizeof cell.number, &indicator);
        break;
    case OdbcType::Bit: {
        unsigned char bit = 0;
        rc = SQLGetData(statement, column, SQL_C_BIT, &bit, sizeof bit, &indicator);
        cell.bit = bit != 0;
        break;
    }
    case OdbcType::Timestamp: {
        SQL_TIMESTAMP_STRUCT stamp = {};
        rc = SQLGetData(statement, column, SQL_C_TYPE_TIMESTAMP, &stamp, sizeof stamp, &indicator);
        cell.stamp = {stamp.year,
                      stamp.month,
                      stamp.day,
                      stamp.hour,
                      stamp.minute,
                      stamp.second,
                      static_cast<int>(stamp.fraction / 1000000u)};
        break;
    }
    case OdbcType::Binary:
        return ReadBytes(statement, column, buffer, cell);
    case OdbcType::AnsiText:
    case OdbcType::WideText:
        return ReadText(statement, column, buffer, cell);
    }
    if (SQL_SUCCEEDED(rc))
        cell.null = indicator == SQL_NULL_DATA;
    return rc;
}
