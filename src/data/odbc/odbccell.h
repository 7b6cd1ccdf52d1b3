#pragma once

#include <cstdint>
#include <string>

// The types in which values pass between the program and the ODBC driver.
enum class OdbcType {
    AnsiText, // 8-bit text on the server (CHAR, VARCHAR), read and bound as UTF-16
    WideText, // Unicode text (NCHAR, NVARCHAR) and whatever else is read as its text
    Integer,  // 32-bit signed
    BigInt,   // 64-bit signed
    Double,
    Bit,
    Timestamp,
    Binary,
};

// A point in time as the server's datetime holds it, to the millisecond.
struct OdbcTimestamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;

    friend bool operator==(const OdbcTimestamp&, const OdbcTimestamp&) = default;
};

// One value of a statement's parameter or of a result's cell: its type, and NULL of that type or
// the value in the member for the type.
struct OdbcCell {
    OdbcType type = OdbcType::WideText;
    bool null = true;
    std::int64_t integer = 0; // Integer, BigInt
    double number = 0;        // Double
    bool bit = false;         // Bit
    OdbcTimestamp stamp;      // Timestamp
    std::u16string text;      // AnsiText, WideText
    std::string bytes;        // Binary

    static OdbcCell Null(OdbcType type) { return Of(type, true); }
    static OdbcCell Text(std::u16string value, OdbcType type = OdbcType::WideText) {
        OdbcCell cell = Of(type, false);
        cell.text = std::move(value);
        return cell;
    }
    static OdbcCell Whole(std::int64_t value, OdbcType type = OdbcType::Integer) {
        OdbcCell cell = Of(type, false);
        cell.integer = value;
        return cell;
    }
    static OdbcCell Real(double value) {
        OdbcCell cell = Of(OdbcType::Double, false);
        cell.number = value;
        return cell;
    }
    static OdbcCell Flag(bool value) {
        OdbcCell cell = Of(OdbcType::Bit, false);
        cell.bit = value;
        return cell;
    }
    static OdbcCell Moment(const OdbcTimestamp& value) {
        OdbcCell cell = Of(OdbcType::Timestamp, false);
        cell.stamp = value;
        return cell;
    }
    static OdbcCell Bytes(std::string value) {
        OdbcCell cell = Of(OdbcType::Binary, false);
        cell.bytes = std::move(value);
        return cell;
    }

    friend bool operator==(const OdbcCell&, const OdbcCell&) = default;

private:
    static OdbcCell Of(OdbcType type, bool null) {
        OdbcCell cell;
        cell.type = type;
        cell.null = null;
        return cell;
    }
};
