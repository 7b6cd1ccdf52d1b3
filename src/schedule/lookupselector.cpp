#include "lookupselector.h"

#include "context/ansicodec.h"
#include "data/query.h"
#include "data/valuecomparison.h"
#include "typingtimestamp.h"

#include <algorithm>

LookupSelector::LookupSelector(const QString& name, Query* list, const QString& keyField,
                               const QString& listField, TypingTimestamp& typing, QObject* parent)
    : QObject(parent), m_list(list), m_keyField(keyField), m_listField(listField), m_typing(typing) {
    setObjectName(name);
    connect(m_list, &DataSet::dataSetChanged, this, &LookupSelector::changed);
    connect(m_list, &DataSet::stateChanged, this, &LookupSelector::changed);
}

bool LookupSelector::keyIsNull() const {
    return IsNullValue(m_key);
}

void LookupSelector::setKeyValue(const QVariant& key) {
    m_key = IsNullValue(key) ? QVariant() : key;
    emit changed();
}

void LookupSelector::setEnabled(bool enabled) {
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    emit changed();
}

bool LookupSelector::canDropDown() const {
    return m_enabled && m_list->isActive();
}

int LookupSelector::columnOf(const QString& name) const {
    return m_list->isActive() ? m_list->columnIndex(name) : -1;
}

int LookupSelector::rowCount() const {
    return m_list->isActive() ? m_list->recordCount() : 0;
}

QVariant LookupSelector::rowKey(int row) const {
    const int column = columnOf(m_keyField);
    if (column < 0 || row < 0 || row >= rowCount())
        return QVariant();
    return m_list->cellAt(row, column);
}

QString LookupSelector::rowText(int row) const {
    const int column = columnOf(m_listField);
    if (column < 0 || row < 0 || row >= rowCount())
        return QString();
    return m_list->cellAt(row, column).toString();
}

int LookupSelector::rowOfKey() const {
    if (keyIsNull())
        return -1;
    const int column = columnOf(m_keyField);
    if (column < 0)
        return -1;
    for (int row = 0; row < rowCount(); ++row)
        if (ValuesEqual(m_list->cellAt(row, column), m_key))
            return row;
    return -1;
}

QString LookupSelector::shownText() const {
    return rowText(rowOfKey());
}

void LookupSelector::pick(const QVariant& key) {
    if (!canDropDown())
        return;
    m_previousKey = m_key;
    setKeyValue(key);
    if (m_clickHandler)
        m_clickHandler();
}

void LookupSelector::pickRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    pick(rowKey(row));
}

void LookupSelector::pickStep(int direction) {
    if (!canDropDown())
        return;
    const int rows = rowCount();
    if (rows == 0) {
        pick(QVariant());
        return;
    }
    const int current = rowOfKey();
    const int row = current < 0 ? 0 : std::clamp(current + (direction < 0 ? -1 : 1), 0, rows - 1);
    pick(rowKey(row));
}

void LookupSelector::undoPick() {
    setKeyValue(m_previousKey);
}

bool LookupSelector::searchAvailable() const {
    if (!m_list->isActive())
        return false;
    const Field* field = m_list->findField(m_listField);
    return field != nullptr &&
           (field->kind() == FieldKind::AnsiString || field->kind() == FieldKind::WideString);
}

bool LookupSelector::isSearchCharacter(QChar character) {
    return character.unicode() >= 0x20 && AnsiCodec::client().canEncode(QString(character));
}

int LookupSelector::search(QChar character, qint64 now) {
    if (!isSearchCharacter(character) || !searchAvailable())
        return -1;
    if (m_typing.expired(now))
        m_search.clear();
    m_typing.touch(now);
    if (m_search.size() >= MaxSearchLength)
        return -1;
    const QString candidate = m_search + character;
    for (int row = 0; row < rowCount(); ++row) {
        if (rowText(row).startsWith(candidate, Qt::CaseInsensitive)) {
            m_search = candidate;
            return row;
        }
    }
    return -1;
}

bool LookupSelector::typeToPick(QChar character, qint64 now) {
    if (!canDropDown())
        return false;
    const int row = search(character, now);
    if (row < 0)
        return false;
    pickRow(row);
    return true;
}

int LookupSelector::typeToFind(QChar character, qint64 now) {
    if (!canDropDown())
        return -1;
    return search(character, now);
}
