#include "lookupcompletion.h"

#include "data/dataset.h"
#include "data/field.h"
#include "data/valuecomparison.h"

LookupCompletion::LookupCompletion(const Field* lookupField) {
    if (!lookupField || !lookupField->isLookup())
        return;
    const DataSet* lookup = lookupField->lookupDataSet();
    if (!lookup || !lookup->isActive())
        return;
    const Field* key = lookup->findField(lookupField->lookupKeyFields());
    const Field* text = lookup->findField(lookupField->lookupResultField());
    if (!key || !text || key->column() < 0 || text->column() < 0)
        return;
    m_dataSet = lookup;
    m_keyColumn = key->column();
    m_textColumn = text->column();
}

int LookupCompletion::count() const {
    return m_dataSet ? m_dataSet->recordCount() : 0;
}

QString LookupCompletion::text(int row) const {
    if (row < 0 || row >= count())
        return QString();
    const QVariant& value = m_dataSet->cellAt(row, m_textColumn);
    return IsNullValue(value) ? QString() : value.toString();
}

QVariant LookupCompletion::key(int row) const {
    return row >= 0 && row < count() ? m_dataSet->cellAt(row, m_keyColumn) : QVariant();
}

int LookupCompletion::find(QStringView candidate) const {
    if (!m_dataSet)
        return -1;
    return m_dataSet->findRecord(m_textColumn, [candidate](const QVariant& value) {
        // Text columns hold QString; it is read in place rather than through a converted copy.
        if (value.typeId() == QMetaType::QString)
            return static_cast<const QString*>(value.constData())->startsWith(candidate, Qt::CaseInsensitive);
        return !IsNullValue(value) && value.toString().startsWith(candidate, Qt::CaseInsensitive);
    });
}

int LookupCompletion::rowOfKey(const QVariant& key) const {
    if (IsNullValue(key))
        return -1;
    const int rows = count();
    for (int row = 0; row < rows; ++row)
        if (ValuesEqual(m_dataSet->cellAt(row, m_keyColumn), key))
            return row;
    return -1;
}
