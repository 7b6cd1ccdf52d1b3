#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

// One positional parameter of a query, named after its marker. It has no data type until the
// first non-null value is set; Null (an invalid or null QVariant) is bound as SQL NULL.
class Parameter {
public:
    explicit Parameter(const QString& name) : m_name(name) {}

    const QString& name() const { return m_name; }
    // Input only; the size is always -1 (not declared).
    int size() const { return -1; }
    QMetaType dataType() const { return m_dataType; }

    // The value as set; an invalid QVariant when Null.
    const QVariant& value() const { return m_value; }
    bool isNull() const { return !m_value.isValid(); }
    // Null and null values clear it; any other value is kept unchanged, and the first one fixes
    // the data type.
    void setValue(const QVariant& value);
    void clear() { m_value = QVariant(); }

    // What the engine binds: the value itself, or a null of the parameter's type (text when the
    // parameter never had a value), since some servers refuse untyped nulls.
    QVariant boundValue() const;

private:
    QString m_name;
    QMetaType m_dataType;
    QVariant m_value;
};
