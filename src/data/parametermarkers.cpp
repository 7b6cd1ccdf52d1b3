#include "parametermarkers.h"

namespace {

bool EndsName(QChar c) {
    return c == ' ' || c == ',' || c == ';' || c == ')' || c == '\r' || c == '\n';
}

bool IsQuote(QChar c) {
    return c == '\'' || c == '"' || c == '`';
}

} // namespace

ParameterMarkers ScanParameterMarkers(const QString& text) {
    ParameterMarkers result;
    result.statement.reserve(text.size());
    bool literal = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (IsQuote(c)) {
            literal = !literal;
        } else if (c == ':' && !literal) {
            if (i + 1 < n && text[i + 1] == ':') {
                result.statement += ':';
                i += 2;
                continue;
            }
            qsizetype end = i + 1;
            while (end < n && !EndsName(text[end]))
                ++end;
            result.names.append(text.mid(i + 1, end - i - 1));
            result.statement += '?';
            i = end;
            continue;
        }
        result.statement += c;
        ++i;
    }
    return result;
}
