#pragma once

#include <QString>

class SqliteDatabase;

// What a SQL Server column refuses and SQLite would store: in a contract database, triggers on every
// table keep each column to its declared type as the server does.
//   VARCHAR(n), NVARCHAR(n), CHAR(n), NCHAR(n): no text longer than n characters, refused with
//     "String or binary data would be truncated in table 'T', column 'C'.";
//   DATETIME, DATE, SMALLDATETIME, DATETIME2: only text that the engine reads back as a date and that
//     SQLite compares as one (DateTextCondition), refused with "Conversion failed when converting
//     date and/or time from character string.".
class ContractRules {
public:
    // Adds the triggers to every table of the database.
    static void install(SqliteDatabase& db);

    // The SQL condition that the expression is a text of the stored date form: 'yyyy-MM-dd', then
    // optionally ' ' or 'T' and 'HH:mm', ':ss' and one to three decimals of a second; a real date of
    // the years 1753 to 9999 and a real time of day.
    static QString dateTextCondition(const QString& expression);
};
