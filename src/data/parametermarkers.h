#pragma once

#include <QString>
#include <QStringList>

// A statement as it reaches the engine: every ':' marker replaced by '?', with the markers' names
// in the order in which they stand.
struct ParameterMarkers {
    QString statement;
    QStringList names;
};

// Scans a statement for ':' markers. A marker is a colon outside a quoted literal (', " or `, each
// of them toggling the literal state) that is not followed by a second colon; its name runs up to a
// space, comma, semicolon, closing parenthesis, CR, LF or the end of the text. A doubled colon
// outside a literal is sent as one colon. Everything else, line breaks and blanks included, is kept.
ParameterMarkers ScanParameterMarkers(const QString& text);
