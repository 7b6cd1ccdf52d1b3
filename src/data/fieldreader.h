#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

class Field;

// A field's values read on many records in a row (a search over every cell): for a lookup field,
// its lookup dataset's current rows are read once into a table by key, so that each record's value
// is found without a scan. It does not follow later changes of the lookup dataset: make one for
// each such piece of work. Other fields read as they always do.
class FieldReader {
public:
    explicit FieldReader(const Field& field);

    // What field.valueAt(record) gives.
    QVariant valueAt(int record) const;
    // What field.asStringAt(record) gives.
    QString textAt(int record) const;

private:
    const Field& m_field;
    const Field* m_key = nullptr;
    bool m_indexed = false;
    QHash<QString, QVariant> m_results;
};
