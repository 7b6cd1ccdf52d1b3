#include "fieldreader.h"

#include "dataset.h"
#include "field.h"
#include "valuecomparison.h"

FieldReader::FieldReader(const Field& field) : m_field(field) {
    const DataSet* lookup = field.lookupDataSet();
    if (!field.isLookup() || !field.dataSet() || !lookup || !lookup->isActive())
        return;
    m_key = field.dataSet()->findField(field.keyFields());
    const Field* keyField = lookup->findField(field.lookupKeyFields());
    const Field* resultField = lookup->findField(field.lookupResultField());
    if (!m_key || !keyField || !resultField || keyField->column() < 0 || resultField->column() < 0)
        return;
    const int count = lookup->recordCount();
    m_results.reserve(count);
    for (int record = 0; record < count; ++record) {
        const QVariant key = lookup->cellAt(record, keyField->column());
        // The first row of a key answers, as a scan from the top does.
        if (IsNullValue(key))
            continue;
        if (key.metaType().id() == QMetaType::Bool) {
            m_results.clear();
            return; // no key stands for a truth value: the field's own scan answers
        }
        const QString text = EqualityKey(key);
        if (!m_results.contains(text))
            m_results.insert(text, lookup->cellAt(record, resultField->column()));
    }
    m_indexed = true;
}

QVariant FieldReader::valueAt(int record) const {
    if (!m_indexed)
        return m_field.valueAt(record);
    if (!m_field.dataSet()->isActive() || record < 0)
        return QVariant();
    const QVariant key = m_key->valueAt(record);
    if (IsNullValue(key))
        return QVariant();
    if (key.metaType().id() == QMetaType::Bool)
        return m_field.valueAt(record);
    return m_results.value(EqualityKey(key));
}

QString FieldReader::textAt(int record) const {
    return Field::TextOf(valueAt(record));
}
