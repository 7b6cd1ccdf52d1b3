#include "connectionstringparser.h"

#include <stdexcept>

QList<QPair<QString, QString>> ParseConnectionString(const QString& text) {
    QList<QPair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        QString key;
        while (i < n && text[i] != ';') {
            if (text[i] == '=') {
                if (i + 1 < n && text[i + 1] == '=') {
                    key += '=';
                    i += 2;
                    continue;
                }
                break;
            }
            key += text[i++];
        }
        key = key.trimmed();
        if (i >= n || text[i] == ';') {
            ++i;
            if (!key.isEmpty())
                pairs.append({key, QString()});
            continue;
        }
        ++i; // '='
        while (i < n && text[i].isSpace())
            ++i;
        QString value;
        if (i < n && (text[i] == '"' || text[i] == '\'')) {
            const QChar quote = text[i++];
            bool closed = false;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                throw std::invalid_argument("Unterminated quoted value of key " + key.toStdString());
            while (i < n && text[i].isSpace())
                ++i;
            if (i < n && text[i] != ';')
                throw std::invalid_argument("Text after the quoted value of key " + key.toStdString());
        } else {
            const qsizetype end = text.indexOf(';', i);
            value = text.mid(i, end < 0 ? n - i : end - i).trimmed();
            i = end < 0 ? n : end;
        }
        ++i; // ';'
        if (value.isNull())
            value = QStringLiteral("");
        if (!key.isEmpty())
            pairs.append({key, value});
    }
    return pairs;
}
