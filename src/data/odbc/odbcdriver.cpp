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

// Turns each row into QVariants of its columns' kinds as it arrives (a typed null for NULL), so that
// the result is never held twice. A value equal to the one above it in its column shares that
// one's text or date, as the embedded engine's do.
class ResultBuilder : public OdbcRowSink {
public:
    explicit ResultBuilder(StatementResult& result) : m_result(result) {}

    void columns(const std::vector<OdbcColumn>& columns) override {
        m_result.columns.reserve(static_cast<qsizetype>(columns.size()));
        for (const OdbcColumn& column : columns)
            m_result.columns.append(
                {QString::fromStdU16String(column.name), KindOf(column.type), column.size});
        m_last.assign(columns.size(), Last());
    }

    void row(std::vector<OdbcCell>& cells) override {
        for (std::size_t i = 0; i < cells.size(); ++i)
            m_result.cells.append(valueOf(cells[i], m_last[i]));
    }

private:
    struct Last {
        bool set = false;
        OdbcCell cell;
        QVariant value;
    };

    static QVariant convert(const OdbcCell& cell) {
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

    static QVariant valueOf(OdbcCell& cell, Last& last) {
        const bool shared = cell.type == OdbcType::AnsiText || cell.type == OdbcType::WideText ||
                            cell.type == OdbcType::Timestamp || cell.type == OdbcType::Binary;
        if (!shared)
            return convert(cell);
        if (!last.set || !(last.cell == cell)) {
            last.value = convert(cell);
            std::swap(last.cell, cell);
            last.set = true;
        }
        return last.value;
    }

    StatementResult& m_result;
    std::vector<Last> m_last;
};

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
    StatementResult result;
    result.cells = takeCellStorage();
    ResultBuilder builder(result);
    try {
        const OdbcOutcome outcome =
            m_connection.execute(statement.toStdU16String(), cells, statementTimeout(), builder);
        result.hasResultSet = outcome.hasResultSet;
        result.rowsAffected = outcome.rowsAffected;
    } catch (const OdbcError& error) {
        Raise(error);
    }
    return result;
}
