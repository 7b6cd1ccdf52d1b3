#pragma once

#include "driver.h"
#include "field.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Connection;

enum class DataSetState { Inactive, Browse, Edit };

// A client-side copy of a result: the whole result is fetched when the dataset opens, the current
// record moves, sorts and is looked up locally, and an edited record is written back on post.
// Subclasses say what to fetch.
class DataSet : public QObject {
    Q_OBJECT

public:
    using Event = std::function<void(DataSet&)>;

    explicit DataSet(const QString& name, QObject* parent = nullptr);
    ~DataSet() override;

    const QString& name() const { return m_name; }
    Connection* connection() const { return m_connection; }
    // The dataset follows its connection: closing the connection closes the dataset.
    void setConnection(Connection* connection);

    // Fetches the whole result, binds the fields and prepares lookups; the current record is the
    // first one and the begin mark is set. Raises DataError and stays closed on failure.
    void open();
    // Drops the result and any edit without saving. Closing a closed dataset does nothing.
    void close();
    bool isActive() const { return m_state != DataSetState::Inactive; }
    DataSetState state() const { return m_state; }

    // Declared fields, in order; only they are exposed once any is declared. Without declared
    // fields, one field per result column is made on opening and dropped on closing.
    Field* addField(const QString& name, const QString& fieldName, FieldKind kind, int size = 0);
    Field* addLookupField(const QString& name, const QString& fieldName, FieldKind kind, int size,
                          const QString& keyField, DataSet* lookupDataSet, const QString& lookupKeyField,
                          const QString& lookupResultField);
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    // Raises DataError "List index out of bounds (%d)" outside 0..fieldCount()-1.
    Field* field(int index) const;
    // By column name, without regard to case; nullptr when there is none.
    Field* findField(const QString& fieldName) const;
    // As findField; raises DataError "<name>: Field 'x' not found" when there is none.
    Field* fieldByName(const QString& fieldName) const;

    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    // 1-based number of the current record in the current order; 0 when empty or closed.
    int recNo() const;
    // Each move posts a modified record in edit first (or cancels an unmodified edit).
    void setRecNo(int recNo);
    void first();
    void last();
    void next();
    void prior();
    // The begin mark: set on opening, by first() and by prior() at the first record; the end mark:
    // set by last() and by next() at the last record; every other move clears both.
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    // Reorders the fetched rows ascending by a column (empty: the order of the result), keeping the
    // current record. Raises DataError when the column is not in the result.
    void setSort(const QString& column);
    const QString& sort() const { return m_sort; }

    // Enters edit. Already in edit: nothing. On an empty dataset the edit becomes an attempt to add
    // a record, which the before-insert event refuses.
    void edit();
    // Writes the changed columns of the record back to the base table; see setUpdateTarget.
    void post();
    // Drops the edit buffer and returns to browse.
    void cancel();
    // Adding records: a record in edit is posted if modified, else its edit is cancelled; then the
    // before-insert event runs. Records are never added: without an event that refuses, DataError.
    void append();
    void insert() { append(); }
    // Posts a modified record in edit, or cancels an unmodified edit; the update-record handler
    // runs first, so input still held by a control counts.
    void checkBrowseMode();
    bool modified() const { return m_modified; }
    // The fields changed during this edit, in the order of their first change.
    const QList<Field*>& changedFields() const { return m_changed; }
    bool canModify() const { return isActive() && !m_updateTable.isEmpty(); }

    // The base table and key column that write-back targets; the key column must be in the result
    // (it need not be a declared field). `columns` are the base table's columns of the result that
    // belong together: every post compares the original values of all of them, changed or not, so
    // a row that someone else changed in any of them since it was read is refused. Without them, a
    // post compares the columns it writes.
    void setUpdateTarget(const QString& table, const QString& keyColumn, const QStringList& columns = {});

    void setBeforeInsert(Event handler) { m_beforeInsert = std::move(handler); }
    void setAfterEdit(Event handler) { m_afterEdit = std::move(handler); }
    void setAfterPost(Event handler) { m_afterPost = std::move(handler); }
    // Called first by post() and checkBrowseMode(): bound controls hand over the input they still hold (the
    // grid writes its open cell); an exception from it stops the post.
    void setUpdateRecordHandler(std::function<void()> handler) { m_updateRecord = std::move(handler); }

    // Freezes the notifications to bound controls; the last enableControls() sends one dataSetChanged().
    void disableControls() { ++m_controlsDisabled; }
    void enableControls();
    bool controlsDisabled() const { return m_controlsDisabled > 0; }

    // The stored value of a column (result column index) in a record of the current order.
    const QVariant& cellAt(int record, int column) const;
    // The first record, in the current order, whose stored value in a result column satisfies the
    // predicate (called with the const QVariant&); -1 when none does. Reads the client copy in place.
    template <typename Predicate> int findRecord(int column, Predicate&& matches) const {
        const int count = recordCount();
        const QVariant* cells = m_result.cells.constData() + column;
        const qsizetype width = m_columnCount;
        if (m_order.empty()) {
            for (int record = 0; record < count; ++record)
                if (matches(cells[record * width]))
                    return record;
            return -1;
        }
        for (int record = 0; record < count; ++record)
            if (matches(cells[m_order[static_cast<size_t>(record)] * width]))
                return record;
        return -1;
    }
    // The result's columns, also those without a field; empty while closed.
    const QList<ColumnInfo>& columns() const { return m_result.columns; }
    int columnIndex(const QString& name) const;

    // For fields: the value of a data field in a record, the edit buffer's for the current record.
    QVariant dataValue(const Field& field, int record) const;
    void setBufferedValue(const Field& field, const QVariant& value);
    // "<name>: text", or the text alone when the dataset has no name.
    QString qualified(const QString& text) const;

signals:
    // Opened, closed, sorted, or controls released: everything may have changed.
    void dataSetChanged();
    // The current record moved.
    void scrolled();
    // A value of the current record changed (edit buffer, cancel, post).
    void recordChanged();
    void stateChanged();
    // A record was written back: the current record holds the stored values now.
    void posted();

protected:
    // The whole result to hold; raises DataError. cellStorage: the emptied storage of the previous
    // result, for the driver to collect the new one into (see Connection::run).
    virtual StatementResult fetch(QList<QVariant> cellStorage) = 0;

private:
    friend class Connection;
    int physicalRow(int record) const;
    int currentRow() const { return physicalRow(m_position); }
    void bindFields(const StatementResult& result);
    void prepareLookups();
    void writeBack();
    void endEdit();
    void moveTo(int position, bool bof, bool eof);
    void notify(void (DataSet::*signal)());

    QString m_name;
    Connection* m_connection = nullptr;
    DataSetState m_state = DataSetState::Inactive;
    std::vector<std::unique_ptr<Field>> m_fields;
    bool m_fieldsDeclared = false;
    StatementResult m_result;
    // The closed result's cell storage, emptied, kept for the next opening.
    QList<QVariant> m_spareCells;
    int m_columnCount = 0;
    std::vector<int> m_order; // physical row per record once sorted; empty: the result's order
    QString m_sort;
    int m_position = 0;
    bool m_bof = false;
    bool m_eof = false;
    std::vector<std::optional<QVariant>> m_buffer; // per field, while in edit
    QList<Field*> m_changed;
    bool m_modified = false;
    QString m_updateTable;
    QString m_keyColumn;
    QStringList m_updateColumns;
    Event m_beforeInsert;
    Event m_afterEdit;
    Event m_afterPost;
    std::function<void()> m_updateRecord;
    int m_controlsDisabled = 0;
};
