#include "data/embedded/columndecoder.h"

#include "data/dataerror.h"

#include <QHash>
#include <QRegularExpression>
#include <cstring>
#include <mutex>
#include <sqlite3.h>

namespace {

QString sqlTypeName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Integer:
        return "int";
    case FieldKind::LargeInt:
        return "bigint";
    case FieldKind::Float:
        return "float";
    default:
        return "datetime";
    }
}

// A date and time of the local zone. Building one asks the C library for the zone's offset, which
// looks at the zone files each time; a schedule repeats a few dozen dates over and over, so the
// values built are kept. One cache for every thread, behind a lock: a thread-local one holds values
// whose destruction at the thread's end the Windows runtime may run after the library that owns
// them has gone.
QDateTime LocalDateTime(QDate date, QTime time) {
    static std::mutex lock;
    static QHash<qint64, QDateTime> built;
    const qint64 key = date.toJulianDay() * 86'400'000 + time.msecsSinceStartOfDay();
    const std::lock_guard<std::mutex> guard(lock);
    const auto found = built.constFind(key);
    if (found != built.constEnd())
        return *found;
    if (built.size() >= 4096)
        built.clear();
    return *built.insert(key, QDateTime(date, time));
}

[[noreturn]] void conversionFailed(const QString& text, FieldKind kind) {
    if (kind == FieldKind::DateTime)
        throw DataError("Conversion failed when converting date and/or time from character string.");
    throw DataError(QString("Conversion failed when converting the nvarchar value '%1' to data type %2.")
                        .arg(text, sqlTypeName(kind)));
}

// Reads up to `count` digits at `pos`; false when fewer than `minimum` are there.
bool digits(QByteArrayView text, qsizetype& pos, int minimum, int count, int& value) {
    value = 0;
    int read = 0;
    while (read < count && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++read;
    }
    return read >= minimum;
}

bool timePart(QByteArrayView text, qsizetype pos, QTime& time) {
    if (pos == text.size()) {
        time = QTime(0, 0);
        return true;
    }
    if (text[pos] != ' ' && text[pos] != 'T')
        return false;
    ++pos;
    int hour, minute, second = 0, millisecond = 0;
    if (!digits(text, pos, 1, 2, hour) || pos >= text.size() || text[pos++] != ':' ||
        !digits(text, pos, 2, 2, minute))
        return false;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!digits(text, pos, 2, 2, second))
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const qsizetype start = pos;
            int fraction;
            if (!digits(text, pos, 1, 3, fraction))
                return false;
            for (qsizetype n = pos - start; n < 3; ++n)
                fraction *= 10;
            millisecond = fraction;
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                ++pos;
        }
    }
    if (pos != text.size())
        return false;
    time = QTime(hour, minute, second, millisecond);
    return time.isValid();
}

} // namespace

ColumnDecoder::ColumnDecoder(const QString& name, const char* declaredType, const QString& dateOrder)
    : m_dateOrder(dateOrder) {
    if (declaredType && *declaredType)
        m_info = kindOfDeclaredType(QString::fromUtf8(declaredType));
    m_info.name = name;
    m_typed = m_info.kind != FieldKind::Unknown;
}

ColumnInfo ColumnDecoder::kindOfDeclaredType(const QString& declaredType) {
    static const QRegularExpression pattern(R"(^\s*(\w+)\s*(?:\(\s*(\d+|MAX)\s*(?:,\s*\d+\s*)?\))?)",
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(declaredType);
    ColumnInfo info;
    if (!match.hasMatch())
        return info;
    const QString base = match.captured(1).toUpper();
    const int size = match.captured(2).toInt(); // 0 for MAX or none
    if (base == "NVARCHAR" || base == "NCHAR" || base == "NTEXT" || base == "TEXT") {
        info.kind = FieldKind::WideString;
        info.size = size ? size : 4000;
    } else if (base == "VARCHAR" || base == "CHAR") {
        info.kind = FieldKind::AnsiString;
        info.size = size ? size : 8000;
    } else if (base == "DATETIME" || base == "DATE" || base == "SMALLDATETIME" || base == "DATETIME2") {
        info.kind = FieldKind::DateTime;
    } else if (base == "INT" || base == "INTEGER" || base == "SMALLINT" || base == "TINYINT" ||
               base == "BIT") {
        info.kind = FieldKind::Integer;
    } else if (base == "BIGINT") {
        info.kind = FieldKind::LargeInt;
    } else if (base == "REAL" || base == "FLOAT" || base == "DOUBLE" || base == "NUMERIC" ||
               base == "DECIMAL" || base == "MONEY") {
        info.kind = FieldKind::Float;
    } else if (base == "BLOB" || base == "VARBINARY" || base == "BINARY" || base == "IMAGE") {
        info.kind = FieldKind::Bytes;
    }
    return info;
}

QVariant ColumnDecoder::nullValue() const {
    return QVariant(MetaTypeOf(m_info.kind));
}

QVariant ColumnDecoder::readText(sqlite3_stmt* statement, int column) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const int length = sqlite3_column_bytes(statement, column);
    if (length != m_lastBytes.size() || std::memcmp(text, m_lastBytes.constData(), length) != 0) {
        m_lastBytes.resize(length); // keeps the storage it has
        std::memcpy(m_lastBytes.data(), text, static_cast<std::size_t>(length));
        m_lastText = QString::fromUtf8(m_lastBytes);
    }
    return m_lastText;
}

QVariant ColumnDecoder::read(sqlite3_stmt* statement, int column) {
    const int storage = sqlite3_column_type(statement, column);
    if (storage == SQLITE_NULL)
        return m_typed ? nullValue() : QVariant();
    if (!m_typed) {
        switch (storage) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(statement, column));
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                              sqlite3_column_bytes(statement, column));
        default:
            return readText(statement, column);
        }
    }
    switch (m_info.kind) {
    case FieldKind::WideString:
    case FieldKind::AnsiString:
        return readText(statement, column);
    case FieldKind::Integer:
    case FieldKind::LargeInt: {
        qlonglong value;
        if (storage == SQLITE_INTEGER) {
            value = sqlite3_column_int64(statement, column);
        } else if (storage == SQLITE_FLOAT) {
            value = qlonglong(sqlite3_column_double(statement, column));
        } else {
            const QString text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
            bool ok = false;
            value = text.trimmed().toLongLong(&ok);
            if (!ok)
                conversionFailed(text, m_info.kind);
        }
        if (m_info.kind == FieldKind::LargeInt)
            return QVariant(value);
        if (value < INT_MIN || value > INT_MAX)
            throw DataError(QString("Arithmetic overflow error converting expression to data type int."));
        return QVariant(int(value));
    }
    case FieldKind::Float:
        if (storage == SQLITE_TEXT) {
            const QString text =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
            bool ok = false;
            const double value = text.trimmed().toDouble(&ok);
            if (!ok)
                conversionFailed(text, m_info.kind);
            return value;
        }
        return sqlite3_column_double(statement, column);
    case FieldKind::DateTime: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const QByteArrayView view(text, sqlite3_column_bytes(statement, column));
        const QDateTime value = parseDateTime(view, m_dateOrder);
        if (!value.isValid())
            conversionFailed(QString::fromUtf8(view.toByteArray()), m_info.kind);
        return value;
    }
    case FieldKind::Bytes:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    default:
        return readText(statement, column);
    }
}

void ColumnDecoder::finish(QList<QVariant>& cells, int column, int columnCount) {
    if (m_typed)
        return;
    // Like the server stand-in: the first value decides; integers that all fit 32 bits are INT.
    FieldKind kind = FieldKind::WideString;
    bool seen = false;
    bool wide = false;
    for (qsizetype i = column; i < cells.size(); i += columnCount) {
        const QVariant& value = cells[i];
        if (!value.isValid())
            continue;
        const int type = value.metaType().id();
        if (!seen) {
            seen = true;
            kind = type == QMetaType::LongLong     ? FieldKind::Integer
                   : type == QMetaType::Double     ? FieldKind::Float
                   : type == QMetaType::QByteArray ? FieldKind::Bytes
                                                   : FieldKind::WideString;
        }
        if (type == QMetaType::LongLong) {
            const qlonglong number = value.toLongLong();
            wide = wide || number < INT_MIN || number > INT_MAX;
        }
    }
    if (kind == FieldKind::Integer && wide)
        kind = FieldKind::LargeInt;
    m_info.kind = kind;
    m_info.size = kind == FieldKind::WideString ? 4000 : 0;
    const QMetaType target = MetaTypeOf(kind);
    for (qsizetype i = column; i < cells.size(); i += columnCount) {
        QVariant& value = cells[i];
        if (!value.isValid())
            value = QVariant(target);
        else if (value.metaType() != target && value.canConvert(target))
            value.convert(target);
    }
    m_typed = true;
}

QDateTime ColumnDecoder::parseDateTime(QByteArrayView text, const QString& dateOrder) {
    qsizetype pos = 0;
    int first, second, third;
    // The stored form first: year, month, day.
    if (digits(text, pos, 4, 4, first) && pos < text.size() && text[pos] == '-') {
        ++pos;
        if (!digits(text, pos, 1, 2, second) || pos >= text.size() || text[pos++] != '-' ||
            !digits(text, pos, 1, 2, third))
            return {};
        const QDate date(first, second, third);
        QTime time;
        if (!date.isValid() || !timePart(text, pos, time))
            return {};
        return LocalDateTime(date, time);
    }
    // Text dates in the session's order.
    pos = 0;
    int parts[3];
    char separator = 0;
    for (int i = 0; i < 3; ++i) {
        if (!digits(text, pos, 1, 4, parts[i]))
            return {};
        if (i < 2) {
            if (pos >= text.size() || (text[pos] != '.' && text[pos] != '/' && text[pos] != '-'))
                return {};
            if (separator && text[pos] != separator)
                return {};
            separator = text[pos++];
        }
    }
    int year = 0, month = 0, day = 0;
    const QString order = dateOrder.size() == 3 ? dateOrder : QStringLiteral("mdy");
    for (int i = 0; i < 3; ++i) {
        const QChar part = order[i];
        (part == 'y' ? year : part == 'm' ? month : day) = parts[i];
    }
    if (year < 100)
        year += year < 50 ? 2000 : 1900;
    const QDate date(year, month, day);
    QTime time;
    if (!date.isValid() || !timePart(text, pos, time))
        return {};
    return LocalDateTime(date, time);
}

QString ColumnDecoder::dateTimeText(const QDateTime& value) {
    const QTime time = value.time();
    return value.toString(time.msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                      : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
