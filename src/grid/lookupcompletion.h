#pragma once

#include <QString>
#include <QStringView>
#include <QVariant>

class DataSet;
class Field;

// The rows a lookup field chooses from, read from its lookup dataset in that dataset's own order:
// each row's key (the lookup key field) and text (the lookup result field). Nothing is copied:
// every question reads the dataset's client copy as it is now.
class LookupCompletion {
public:
    // Over the lookup field's lookup dataset; without rows while that dataset is closed or lacks the
    // fields.
    explicit LookupCompletion(const Field* lookupField);

    int count() const;
    QString text(int row) const;
    QVariant key(int row) const;
    // The first row whose text begins with `candidate` without regard to case; -1 when none does.
    int find(QStringView candidate) const;
    // The first row with this key; -1 for Null or when none has it.
    int rowOfKey(const QVariant& key) const;

private:
    const DataSet* m_dataSet = nullptr;
    int m_keyColumn = -1;
    int m_textColumn = -1;
};
