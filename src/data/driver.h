#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>
#include <QVariant>
#include <memory>
#include <utility>

// What the database engines (the embedded one and SQL Server) offer to the data access layer.

enum class FieldKind {
    Unknown,
    AnsiString, // 8-bit text in the client's code page (CHAR, VARCHAR)
    WideString, // Unicode text (NCHAR, NVARCHAR)
    Integer,    // 32-bit signed
    LargeInt,   // 64-bit signed
    Float,
    Boolean,
    DateTime,
    Bytes,
};

// The type of the values a field of this kind holds (text kinds hold QString).
inline QMetaType MetaTypeOf(FieldKind kind) {
    switch (kind) {
    case FieldKind::Integer:
        return QMetaType::fromType<int>();
    case FieldKind::LargeInt:
        return QMetaType::fromType<qlonglong>();
    case FieldKind::Float:
        return QMetaType::fromType<double>();
    case FieldKind::Boolean:
        return QMetaType::fromType<bool>();
    case FieldKind::DateTime:
        return QMetaType::fromType<QDateTime>();
    case FieldKind::Bytes:
        return QMetaType::fromType<QByteArray>();
    default:
        return QMetaType::fromType<QString>();
    }
}

// How wide an integer value of this type is: not an integer, one of 32 bits or fewer, or one of 64
// bits (unsigned 32-bit values included, which a signed 32-bit column cannot hold). The one list
// of the integer types for every engine.
enum class IntegerWidth { None, Narrow, Wide };
inline IntegerWidth IntegerWidthOf(int metaTypeId) {
    switch (metaTypeId) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return IntegerWidth::Narrow;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return IntegerWidth::Wide;
    default:
        return IntegerWidth::None;
    }
}

struct ColumnInfo {
    QString name;
    FieldKind kind = FieldKind::Unknown;
    int size = 0; // characters for text kinds; 0 when unknown
};

// The first result set of a statement, read completely (forward only) into the client's copy.
struct StatementResult {
    bool hasResultSet = false;
    QList<ColumnInfo> columns;
    QList<QVariant> cells; // row-major: columns.size() cells per row
    // Rows changed by the statement's last data change before its first result set, as the engine
    // reports it; -1 when it does not (as with NOCOUNT on).
    qint64 rowsAffected = -1;

    qsizetype rowCount() const { return columns.isEmpty() ? 0 : cells.size() / columns.size(); }
    const QVariant& cell(qsizetype row, qsizetype column) const {
        return cells[row * columns.size() + column];
    }
};

using ConnectionPairs = QList<QPair<QString, QString>>;

// The value of a connection setting (keys compared without regard to case), or a null string when
// it is absent.
inline QString ConnectionStringValue(const ConnectionPairs& pairs, const QString& key) {
    for (const auto& pair : pairs)
        if (pair.first.compare(key, Qt::CaseInsensitive) == 0)
            return pair.second;
    return QString();
}

class Driver {
public:
    virtual ~Driver() = default;

    // Opens with the pairs of a provider connection string (Data Source, Initial Catalog, User ID,
    // Password, ...). Raises DataError with the provider's or server's text when it cannot.
    virtual void open(const ConnectionPairs& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Runs one statement whose '?' markers take the values by position. A null value is a typed
    // null QVariant (QVariant(QMetaType(...))) and is bound as SQL NULL of that type. Returns the
    // statement's first result set, if it has one. Raises DataError with the server's text.
    virtual StatementResult execute(const QString& statement, const QList<QVariant>& values) = 0;

    // A list whose capacity the next execute() may fill with its result's cells instead of growing
    // a new one: a dataset that reopens hands over the storage of its previous result, so that the
    // rows land in memory the process already has. The list is emptied; a driver that does not
    // take it leaves it to be dropped.
    void offerCellStorage(QList<QVariant> cells) {
        m_cellStorage = std::move(cells);
        m_cellStorage.clear();
    }

    // Gives every later statement a time limit in seconds (0: none). A statement that exceeds it
    // is given up and raises DataError with the engine's text; the server does not keep running it.
    virtual void setStatementTimeout(int seconds) { m_statementTimeout = seconds; }
    int statementTimeout() const { return m_statementTimeout; }

    // The condition, in this engine's SQL, that a column (a bracketed name) of the given kind holds
    // the value of one '?' marker. Dates compare as points in time, whatever form the engine stores
    // them in.
    virtual QString equalsValue(const QString& column, FieldKind kind) const {
        Q_UNUSED(kind);
        return column + QStringLiteral(" = ?");
    }

protected:
    // The offered storage (empty when none was offered); taking it leaves none behind.
    QList<QVariant> takeCellStorage() { return std::exchange(m_cellStorage, {}); }

private:
    int m_statementTimeout = 0;
    QList<QVariant> m_cellStorage;
};
