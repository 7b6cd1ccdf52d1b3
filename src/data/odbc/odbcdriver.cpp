#include "odbcdriver.h"

#include "data/dataerror.h"
#include "odbcconnectionstring.h"
#include "odbcerror.h"

#include <QDateTime>

namespace {

FieldKind KindOf(OdbcType type) {
    switch (type) {
    case OdbcType::AnsiText:
        return FieldKind::AnsiString;
    case OdbcType::WideText:
        return FieldKind::WideString;
    case OdbcType::Integer:
        return FieldKind::Integer;
    case OdbcType::BigInt:
        return FieldKind::LargeInt;
    case OdbcType::Double:
        return FieldKind::Float;
    case OdbcType::Bit:
        return FieldKind::Boolean;
    case OdbcType::Timestamp:
        return FieldKind::DateTime;
    case OdbcType::Binary:
        return FieldKind::Bytes;
    }
    return FieldKind::WideString;
}

// The parameter's value with the type it is bound with; a null QVariant keeps its type.
OdbcCell CellOf(const QVariant& value) {
    const bool null = !value.isValid() || value.isNull();
    const int type = value.metaType().id();
    switch (IntegerWidthOf(type)) {
    case IntegerWidth::Narrow:
        return null ? OdbcCell::Null(OdbcType::Integer) : OdbcCell::Whole(value.toLongLong());
    case IntegerWidth::Wide:
        return null ? OdbcCell::Null(OdbcType::BigInt)
                    : OdbcCell::Whole(value.toLongLong(), OdbcType::BigInt);
    case IntegerWidth::None:
        break;
    }
    switch (type) {
    case QMetaType::Bool:
        return null ? OdbcCell::Null(OdbcType::Bit) : OdbcCell::Flag(value.toBool());
    case QMetaType::Double:
    case QMetaType::Float:
        return null ? OdbcCell::Null(OdbcType::Double) : OdbcCell::Real(value.toDouble());
    case QMetaType::QDateTime:
    case QMetaType::QDate: {
        const QDateTime moment = null ? QDateTime() : value.toDateTime();
        if (!moment.isValid())
            return OdbcCell::Null(OdbcType::Timestamp);
        const QDate date = moment.date();
        const QTime time = moment.time();
        return OdbcCell::Moment(
            {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec()});
    }
    case QMetaType::QByteArray:
        return null ? OdbcCell::Null(OdbcType::Binary) : OdbcCell::Bytes(value.toByteArray().toStdString());
    default:
        return null ? OdbcCell::Null(OdbcType::WideText) : OdbcCell::Text(value.toString().toStdU16String());
    }
}

// The cell as a QVariant of its column's kind, a typed null for NULL.
QVariant ValueOf(const OdbcCell& cell) {
    const FieldKind kind = KindOf(cell.type);
    if (cell.null)
        return QVariant(MetaTypeOf(kind));
    switch (cell.type) {
    case OdbcType::Integer:
        return QVariant(static_cast<int>(cell.integer));
    case OdbcType::BigInt:
        return QVariant(static_cast<qlonglong>(cell.integer));
    case OdbcType::Double:
        return QVariant(cell.number);
    case OdbcType::Bit:
        return QVariant(cell.bit);
    case OdbcType::Timestamp: {
        const OdbcTimestamp& stamp = cell.stamp;
        return QVariant(QDateTime(QDate(stamp.year, stamp.month, stamp.day),
                                  QTime(stamp.hour, stamp.minute, stamp.second, stamp.millisecond)));
    }
    case OdbcType::Binary:
        return QVariant(QByteArray(cell.bytes.data(), static_cast<qsizetype>(cell.bytes.size())));
    case OdbcType::AnsiText:
    case OdbcType::WideText:
        break;
    }
    return QVariant(QString::fromStdU16String(cell.text));
}

[[noreturn]] void Raise(const OdbcError& error) {
    throw DataError(QString::fromStdU16String(error.text()));
}

} // namespace

OdbcDriver::OdbcDriver(int loginTimeout, OdbcDriverKind driverKind)
    : m_loginTimeout(loginTimeout), m_driverKind(driverKind) {}

void OdbcDriver::open(const ConnectionPairs& settings) {
    m_connection.close();
    // A value the driver cannot take unchanged is refused before any handle is made.
    const QString text = BuildOdbcConnectionString(settings, m_driverKind);
    try {
        m_connection.open(text.toStdU16String(), m_loginTimeout);
    } catch (const OdbcError& error) {
        Raise(error);
    }
}

void OdbcDriver::close() {
    m_connection.close();
}

bool OdbcDriver::isOpen() const {
    return m_connection.isOpen();
}

StatementResult OdbcDriver::execute(const QString& statement, const QList<QVariant>& values) {
    std::vector<OdbcCell> cells;
    cells.reserve(static_cast<std::size_t>(values.size()));
    for (const QVariant& value : values)
        cells.push_back(CellOf(value));
    OdbcResult read;
    try {
        read = m_connection.execute(statement.toStdU16String(), cells, statementTimeout());
    } catch (const OdbcError& error) {
        Raise(error);
    }
    StatementResult result;
    result.hasResultSet = read.hasResultSet;
    result.rowsAffected = read.rowsAffected;
    result.columns.reserve(static_cast<qsizetype>(read.columns.size()));
    for (const OdbcColumn& column : read.columns)
        result.columns.append({QString::fromStdU16String(column.name), KindOf(column.type), column.size});
    result.cells.reserve(static_cast<qsizetype>(read.cells.size()));
    for (const OdbcCell& cell : read.cells)
        result.cells.append(ValueOf(cell));
    return result;
}
