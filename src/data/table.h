#pragma once

#include "dataset.h"

// A dataset over all rows and columns of a table named on the server.
class Table : public DataSet {
    Q_OBJECT

public:
    explicit Table(const QString& name = QString(), Connection* connection = nullptr,
                   QObject* parent = nullptr);

    const QString& tableName() const { return m_tableName; }
    // Closes the table first.
    void setTableName(const QString& tableName);

protected:
    StatementResult fetch(QList<QVariant> cellStorage) override;

private:
    QString m_tableName;
};
