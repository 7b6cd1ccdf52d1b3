#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// One argument of an EXEC statement.
struct ExecArgument {
    QString name;    // "@name" for "@name = value", empty for a positional argument
    QVariant value;  // the literal's value (QString, qlonglong, double; invalid for NULL)
    int marker = -1; // for a '?' marker: its 0-based position among the statement's markers
};

// The small T-SQL front of the embedded engine: what a statement asks for before SQLite sees it.
struct TsqlStatement {
    enum class Kind {
        Sql,           // anything else: passed to SQLite unchanged
        Exec,          // EXEC[UTE] procedure arguments
        SetDateFormat, // SET DATEFORMAT order
        SetNoCount,    // SET NOCOUNT ON or OFF
        SetOption,     // any other SET: accepted and ignored, as the server accepts it
    };
    Kind kind = Kind::Sql;
    QString procedure; // Exec: the name without brackets or schema
    QList<ExecArgument> arguments;
    int markers = 0;      // Exec: number of '?' markers
    QString dateOrder;    // SetDateFormat: "dmy", "mdy", ... in lower case
    bool noCount = false; // SetNoCount: ON

    // Recognises the statement. Raises DataError with a server-like text for a malformed EXEC
    // ("Incorrect syntax near '...'.", "Unclosed quotation mark after the character string '...'.",
    // "Must declare the scalar variable \"@x\".") or an unknown date order.
    static TsqlStatement parse(const QString& text);
};
