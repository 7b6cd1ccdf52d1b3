#include "field.h"

#include "dataerror.h"
#include "dataset.h"
#include "datetimetext.h"
#include "valuecomparison.h"

#include <limits>

QString FieldKindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::AnsiString:
        return QStringLiteral("String");
    case FieldKind::WideString:
        return QStringLiteral("WideString");
    case FieldKind::Integer:
        return QStringLiteral("Integer");
    case FieldKind::LargeInt:
        return QStringLiteral("LargeInt");
    case FieldKind::Float:
        return QStringLiteral("Float");
    case FieldKind::Boolean:
        return QStringLiteral("Boolean");
    case FieldKind::DateTime:
        return QStringLiteral("DateTime");
    case FieldKind::Bytes:
        return QStringLiteral("Bytes");
    case FieldKind::Unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

Field::Field(DataSet* dataSet, const QString& name, const QString& fieldName, FieldKind kind, int size)
    : m_dataSet(dataSet), m_name(name), m_fieldName(fieldName), m_kind(kind), m_size(size) {}

void Field::setLookup(const QString& keyField, DataSet* lookupDataSet, const QString& lookupKeyField,
                      const QString& lookupResultField) {
    m_lookup = true;
    m_keyFields = keyField;
    m_lookupDataSet = lookupDataSet;
    m_lookupKeyFields = lookupKeyField;
    m_lookupResultField = lookupResultField;
}

QVariant Field::value() const {
    return valueAt(m_dataSet->recNo() - 1);
}

QVariant Field::valueAt(int record) const {
    if (!m_dataSet->isActive() || record < 0)
        return QVariant();
    if (!m_lookup)
        return m_dataSet->dataValue(*this, record);
    const Field* key = m_dataSet->findField(m_keyFields);
    return key ? lookUp(key->valueAt(record)) : QVariant();
}

QVariant Field::lookUp(const QVariant& key) const {
    // No cache: the lookup dataset is searched on every read.
    if (IsNullValue(key) || !m_lookupDataSet || !m_lookupDataSet->isActive())
        return QVariant();
    const Field* keyField = m_lookupDataSet->findField(m_lookupKeyFields);
    const Field* resultField = m_lookupDataSet->findField(m_lookupResultField);
    if (!keyField || !resultField || keyField->column() < 0 || resultField->column() < 0)
        return QVariant();
    const int count = m_lookupDataSet->recordCount();
    for (int record = 0; record < count; ++record)
        if (ValuesEqual(m_lookupDataSet->cellAt(record, keyField->column()), key))
            return m_lookupDataSet->cellAt(record, resultField->column());
    return QVariant();
}

bool Field::isNull() const {
    return IsNullValue(value());
}

QString Field::asString() const {
    return asStringAt(m_dataSet->recNo() - 1);
}

QString Field::asStringAt(int record) const {
    return TextOf(valueAt(record));
}

QString Field::TextOf(const QVariant& stored) {
    if (IsNullValue(stored))
        return QString();
    if (stored.metaType().id() == QMetaType::QDateTime)
        return DateTimeText(stored.toDateTime());
    return stored.toString();
}

int Field::asInteger() const {
    const QVariant current = value();
    if (IsNullValue(current))
        return 0;
    bool ok = false;
    const qlonglong number = current.metaType().id() == QMetaType::QString
                                 ? current.toString().trimmed().toLongLong(&ok)
                                 : current.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        throw DataError(QStringLiteral("'%1' is not a valid integer value").arg(current.toString()));
    return static_cast<int>(number);
}

QDateTime Field::asDateTime() const {
    const QVariant current = value();
    if (IsNullValue(current))
        return QDateTime();
    if (current.metaType().id() == QMetaType::QString)
        return ParseDateTimeText(current.toString());
    return current.toDateTime();
}

QVariant Field::typedNull() const {
    return QVariant(MetaTypeOf(m_kind));
}

QVariant Field::converted(const QVariant& value) const {
    if (IsNullValue(value))
        return typedNull();
    switch (m_kind) {
    case FieldKind::Integer:
    case FieldKind::LargeInt: {
        bool ok = false;
        const qlonglong number = value.metaType().id() == QMetaType::QString
                                     ? value.toString().trimmed().toLongLong(&ok)
                                     : value.toLongLong(&ok);
        const bool fits = m_kind == FieldKind::LargeInt || (number >= std::numeric_limits<int>::min() &&
                                                            number <= std::numeric_limits<int>::max());
        if (!ok || !fits)
            throw DataError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        return m_kind == FieldKind::Integer ? QVariant(static_cast<int>(number)) : QVariant(number);
    }
    case FieldKind::Float: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            throw DataError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return number;
    }
    case FieldKind::DateTime:
        if (value.metaType().id() == QMetaType::QDateTime)
            return value;
        if (value.metaType().id() == QMetaType::QDate)
            return value.toDate().startOfDay();
        return ParseDateTimeText(value.toString());
    case FieldKind::Boolean:
        return value.toBool();
    case FieldKind::Bytes:
        return value.toByteArray();
    case FieldKind::AnsiString:
    case FieldKind::WideString:
    case FieldKind::Unknown:
        break;
    }
    return value.toString();
}

void Field::setValue(const QVariant& value) {
    if (m_dataSet->state() != DataSetState::Edit)
        throw DataError(m_dataSet->qualified(QStringLiteral("Dataset not in edit or insert mode")));
    if (m_lookup) {
        Field* key = m_dataSet->fieldByName(m_keyFields);
        QVariant found;
        if (!IsNullValue(value) && m_lookupDataSet && m_lookupDataSet->isActive()) {
            const Field* keyField = m_lookupDataSet->fieldByName(m_lookupKeyFields);
            const Field* resultField = m_lookupDataSet->fieldByName(m_lookupResultField);
            for (int record = 0; record < m_lookupDataSet->recordCount(); ++record)
                if (ValuesEqual(m_lookupDataSet->cellAt(record, resultField->column()), value)) {
                    found = m_lookupDataSet->cellAt(record, keyField->column());
                    break;
                }
        }
        key->setValue(found);
        return;
    }
    if (m_readOnly)
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(m_fieldName));
    m_dataSet->setBufferedValue(*this, converted(value));
}

void Field::setAsString(const QString& text) {
    setValue(text.isEmpty() ? QVariant() : QVariant(text));
}

bool Field::canModify() const {
    if (m_readOnly || !m_dataSet->canModify())
        return false;
    if (!m_lookup)
        return m_column >= 0;
    const Field* key = m_dataSet->findField(m_keyFields);
    return key && key->canModify();
}
