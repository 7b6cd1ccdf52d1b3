#pragma once

#include <QObject>

class DataSet;

// Links bound controls to a dataset. With auto-edit on, controls may put the dataset into edit.
class DataSource : public QObject {
    Q_OBJECT

public:
    explicit DataSource(const QString& name, DataSet* dataSet = nullptr, QObject* parent = nullptr)
        : QObject(parent), m_dataSet(dataSet) {
        setObjectName(name);
    }

    DataSet* dataSet() const { return m_dataSet; }
    void setDataSet(DataSet* dataSet) { m_dataSet = dataSet; }
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }

private:
    DataSet* m_dataSet;
    bool m_autoEdit = true;
};
