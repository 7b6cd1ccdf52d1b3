#pragma once

#include "driver.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

class DataSet;

// A field of a dataset: a column of its result (data field), or a value looked up in another
// dataset by key (lookup field). Fields are owned by their dataset.
class Field {
public:
    // A data field bound by name to a column of the result when the dataset opens.
    Field(DataSet* dataSet, const QString& name, const QString& fieldName, FieldKind kind, int size);

    DataSet* dataSet() const { return m_dataSet; }
    // The component name, e.g. "ADOQ_RatingTableDate_1" (the column name for fields made on open).
    const QString& name() const { return m_name; }
    // The column name.
    const QString& fieldName() const { return m_fieldName; }
    FieldKind kind() const { return m_kind; }
    // Characters for text kinds, 0 otherwise.
    int size() const { return m_size; }
    int index() const { return m_index; }
    bool isLookup() const { return m_lookup; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Lookup settings: the value is the result field of the lookup dataset's row whose lookup key
    // equals this dataset's key field.
    void setLookup(const QString& keyField, DataSet* lookupDataSet, const QString& lookupKeyField,
                   const QString& lookupResultField);
    const QString& keyFields() const { return m_keyFields; }
    DataSet* lookupDataSet() const { return m_lookupDataSet; }
    const QString& lookupKeyFields() const { return m_lookupKeyFields; }
    const QString& lookupResultField() const { return m_lookupResultField; }

    // The value in the current record (the edit buffer's while the record is in edit); an invalid
    // QVariant or a typed null for Null. A lookup field searches its lookup dataset on every read.
    QVariant value() const;
    // The value in the given record (0-based, in the dataset's current order).
    QVariant valueAt(int record) const;
    bool isNull() const;
    // Null reads as an empty text; dates as the user's short date, with the long time when it is
    // not midnight.
    QString asString() const;
    // As asString, for the given record (0-based, in the dataset's current order), without moving.
    QString asStringAt(int record) const;
    // A stored value as asString reads it.
    static QString TextOf(const QVariant& stored);
    // Null reads as 0; text that is not a whole number raises DataError "'%s' is not a valid integer value".
    int asInteger() const;
    QDateTime asDateTime() const;

    // Sets the value in the edit buffer (the dataset must be in edit), converted to the field's
    // kind; Null (an invalid or null QVariant) stores Null. Setting a lookup field to one of the
    // lookup dataset's result texts stores that row's key in the key field (Null when none matches).
    void setValue(const QVariant& value);
    // Sets the value from text: an empty text stores Null; text that does not convert raises
    // DataError with the conversion's message and changes nothing.
    void setAsString(const QString& text);
    void clear() { setValue(QVariant()); }
    // True when the field, and for a lookup field its key field, may be written by the user.
    bool canModify() const;

    // For the dataset.
    int column() const { return m_column; }
    void setColumn(int column) { m_column = column; }
    void setIndex(int index) { m_index = index; }
    // The value converted to this field's kind; raises DataError when it does not convert.
    QVariant converted(const QVariant& value) const;
    // A null of this field's kind.
    QVariant typedNull() const;

private:
    QVariant lookUp(const QVariant& key) const;

    DataSet* m_dataSet;
    QString m_name;
    QString m_fieldName;
    FieldKind m_kind;
    int m_size;
    int m_index = -1;
    int m_column = -1;
    bool m_readOnly = false;
    bool m_lookup = false;
    QString m_keyFields;
    DataSet* m_lookupDataSet = nullptr;
    QString m_lookupKeyFields;
    QString m_lookupResultField;
};

// The name of a field kind as the layer's messages show it ("WideString", "Integer", ...).
QString FieldKindName(FieldKind kind);
