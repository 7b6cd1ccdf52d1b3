#include "data/embedded/tsqlstatement.h"

#include "data/dataerror.h"

#include <QRegularExpression>

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c == '#' || c == '@' || c == '$';
}

[[noreturn]] void syntaxErrorNear(const QString& token) {
    throw DataError(QString("Incorrect syntax near '%1'.").arg(token));
}

// Reads EXEC's arguments from `text` starting at `pos`.
class ArgumentReader {
public:
    explicit ArgumentReader(const QString& text, qsizetype pos) : m_text(text), m_pos(pos) {}

    void read(TsqlStatement& statement) {
        skipSpace();
        if (atEnd())
            return;
        bool named = false;
        for (;;) {
            ExecArgument argument;
            skipSpace();
            if (peek() == '@' && nameFollowedByEquals()) {
                argument.name = readName();
                skipSpace();
                ++m_pos; // '='
                skipSpace();
                named = true;
            } else if (named) {
                throw DataError(
                    QString("Must pass parameter number %1 and subsequent parameters as '@name = "
                            "value'. After the form '@name = value' has been used, all subsequent "
                            "parameters must be passed in the form '@name = value'.")
                        .arg(statement.arguments.size() + 1));
            }
            readValue(argument, statement);
            statement.arguments.append(argument);
            skipSpace();
            if (atEnd())
                return;
            if (peek() != ',')
                syntaxErrorNear(tokenAt(m_pos));
            ++m_pos;
            skipSpace();
            if (atEnd())
                syntaxErrorNear(",");
        }
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }
    void skipSpace() {
        while (!atEnd() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    // The token that starts at `pos`, as the server quotes it in a syntax error.
    QString tokenAt(qsizetype pos) const {
        if (pos >= m_text.size())
            return {};
        qsizetype end = pos;
        if (isNameChar(m_text[pos])) {
            while (end < m_text.size() && isNameChar(m_text[end]))
                ++end;
        } else {
            end = pos + 1;
        }
        return m_text.mid(pos, end - pos);
    }

    bool nameFollowedByEquals() const {
        qsizetype p = m_pos + 1;
        while (p < m_text.size() && isNameChar(m_text[p]))
            ++p;
        while (p < m_text.size() && m_text[p].isSpace())
            ++p;
        return p < m_text.size() && m_text[p] == '=';
    }

    QString readName() {
        const qsizetype start = m_pos;
        ++m_pos;
        while (!atEnd() && isNameChar(m_text[m_pos]))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    void readValue(ExecArgument& argument, TsqlStatement& statement) {
        if (atEnd())
            syntaxErrorNear(argument.name.isEmpty() ? QString() : QStringLiteral("="));
        const QChar c = peek();
        if (c == '\'' || ((c == 'N' || c == 'n') && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'')) {
            if (c != '\'')
                ++m_pos;
            argument.value = readLiteral();
            return;
        }
        if (c == '?') {
            ++m_pos;
            argument.marker = statement.markers++;
            return;
        }
        if (c == '@') {
            const QString name = readName();
            throw DataError(QString("Must declare the scalar variable \"%1\".").arg(name));
        }
        if (c.isDigit() || ((c == '-' || c == '+' || c == '.') && m_pos + 1 < m_text.size())) {
            static const QRegularExpression number(R"([-+]?(\d+(\.\d*)?|\.\d+))");
            const QRegularExpressionMatch match = number.match(m_text, m_pos, QRegularExpression::NormalMatch,
                                                               QRegularExpression::AnchorAtOffsetMatchOption);
            if (match.hasMatch()) {
                const qsizetype end = m_pos + match.capturedLength();
                if (end < m_text.size() && isNameChar(m_text[end]))
                    syntaxErrorNear(tokenAt(end));
                const QString text = match.captured();
                m_pos = end;
                bool ok = false;
                const qlonglong whole = text.contains('.') ? 0 : text.toLongLong(&ok);
                argument.value = ok ? QVariant(whole) : QVariant(text.toDouble());
                return;
            }
        }
        const QString token = tokenAt(m_pos);
        if (token.compare("NULL", Qt::CaseInsensitive) == 0) {
            m_pos += token.size();
            return; // invalid QVariant: SQL NULL
        }
        syntaxErrorNear(token);
    }

    QString readLiteral() {
        ++m_pos; // opening quote
        QString value;
        for (;;) {
            const qsizetype quote = m_text.indexOf('\'', m_pos);
            if (quote < 0) {
                value += m_text.mid(m_pos);
                throw DataError(
                    QString("Unclosed quotation mark after the character string '%1'.").arg(value));
            }
            value += m_text.mid(m_pos, quote - m_pos);
            m_pos = quote + 1;
            if (peek() != '\'')
                return value;
            value += '\'';
            ++m_pos;
        }
    }

    const QString& m_text;
    qsizetype m_pos;
};

// Skips one part of a procedure name, bracketed or plain; returns it without brackets.
QString readNamePart(const QString& text, qsizetype& pos) {
    if (pos < text.size() && text[pos] == '[') {
        const qsizetype close = text.indexOf(']', pos + 1);
        if (close < 0)
            throw DataError(
                QString("Unclosed quotation mark after the character string '%1'.").arg(text.mid(pos + 1)));
        const QString part = text.mid(pos + 1, close - pos - 1);
        pos = close + 1;
        return part;
    }
    const qsizetype start = pos;
    while (pos < text.size() && isNameChar(text[pos]))
        ++pos;
    return text.mid(start, pos - start);
}

} // namespace

TsqlStatement TsqlStatement::parse(const QString& text) {
    TsqlStatement statement;
    QString body = text.trimmed();
    while (body.endsWith(';'))
        body = body.chopped(1).trimmed();

    static const QRegularExpression exec(R"(^EXEC(UTE)?(?=\s|\[|$))",
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression set(R"(^SET\s+(\w+)\s*(.*)$)",
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch match = exec.match(body); match.hasMatch()) {
        statement.kind = Kind::Exec;
        qsizetype pos = match.capturedLength();
        while (pos < body.size() && body[pos].isSpace())
            ++pos;
        if (pos >= body.size())
            syntaxErrorNear(match.captured());
        QString name = readNamePart(body, pos);
        // dbo.name, [dbo].[name], or a three-part name: the last part names the procedure.
        while (pos < body.size() && body[pos] == '.') {
            ++pos;
            name = readNamePart(body, pos);
        }
        if (name.isEmpty())
            syntaxErrorNear(QString(body[pos]));
        if (pos < body.size() && !body[pos].isSpace())
            syntaxErrorNear(QString(body[pos]));
        statement.procedure = name;
        ArgumentReader(body, pos).read(statement);
        return statement;
    }
    if (const QRegularExpressionMatch match = set.match(body); match.hasMatch()) {
        if (match.captured(1).compare("NOCOUNT", Qt::CaseInsensitive) == 0) {
            const QString value = match.captured(2).trimmed();
            if (value.compare("ON", Qt::CaseInsensitive) != 0 &&
                value.compare("OFF", Qt::CaseInsensitive) != 0)
                syntaxErrorNear(value);
            statement.kind = Kind::SetNoCount;
            statement.noCount = value.compare("ON", Qt::CaseInsensitive) == 0;
            return statement;
        }
        if (match.captured(1).compare("DATEFORMAT", Qt::CaseInsensitive) != 0) {
            statement.kind = Kind::SetOption;
            return statement;
        }
        static const QStringList orders{"mdy", "dmy", "ymd", "ydm", "myd", "dym"};
        const QString order = match.captured(2).trimmed().toLower();
        if (!orders.contains(order))
            throw DataError(
                QString("SET DATEFORMAT date order '%1' is invalid.").arg(match.captured(2).trimmed()));
        statement.kind = Kind::SetDateFormat;
        statement.dateOrder = order;
        return statement;
    }
    return statement;
}
