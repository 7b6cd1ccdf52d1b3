#include "dataset.h"

#include "connection.h"
#include "dataerror.h"
#include "rowupdate.h"
#include "valuecomparison.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace {

bool KindsAgree(FieldKind field, FieldKind column) {
    // A column whose type the engine cannot tell (an expression without a declared type) is taken
    // as it comes; its values are converted when they are read.
    return column == FieldKind::Unknown || field == column;
}

} // namespace

DataSet::DataSet(const QString& name, QObject* parent) : QObject(parent), m_name(name) {
    setObjectName(name);
}

DataSet::~DataSet() {
    if (m_connection)
        m_connection->detach(this);
}

void DataSet::setConnection(Connection* connection) {
    if (m_connection == connection)
        return;
    close();
    if (m_connection)
        m_connection->detach(this);
    m_connection = connection;
    if (m_connection)
        m_connection->attach(this);
}

QString DataSet::qualified(const QString& text) const {
    return m_name.isEmpty() ? text : m_name + QStringLiteral(": ") + text;
}

Field* DataSet::addField(const QString& name, const QString& fieldName, FieldKind kind, int size) {
    if (isActive())
        throw DataError(qualified(QStringLiteral("Cannot perform this operation on an open dataset")));
    m_fieldsDeclared = true;
    auto field = std::make_unique<Field>(this, name, fieldName, kind, size);
    field->setIndex(fieldCount());
    m_fields.push_back(std::move(field));
    return m_fields.back().get();
}

Field* DataSet::addLookupField(const QString& name, const QString& fieldName, FieldKind kind, int size,
                               const QString& keyField, DataSet* lookupDataSet, const QString& lookupKeyField,
                               const QString& lookupResultField) {
    Field* field = addField(name, fieldName, kind, size);
    field->setLookup(keyField, lookupDataSet, lookupKeyField, lookupResultField);
    return field;
}

Field* DataSet::field(int index) const {
    if (index < 0 || index >= fieldCount())
        throw DataError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return m_fields[static_cast<size_t>(index)].get();
}

Field* DataSet::findField(const QString& fieldName) const {
    for (const auto& field : m_fields)
        if (field->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

Field* DataSet::fieldByName(const QString& fieldName) const {
    if (Field* found = findField(fieldName))
        return found;
    throw DataError(qualified(QStringLiteral("Field '%1' not found").arg(fieldName)));
}

int DataSet::columnIndex(const QString& name) const {
    for (qsizetype i = 0; i < m_result.columns.size(); ++i)
        if (m_result.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

void DataSet::open() {
    if (isActive())
        return;
    StatementResult result = fetch(std::exchange(m_spareCells, {}));
    bindFields(result);
    m_result = std::move(result);
    // Storage left over from a much larger earlier result is not held for a small one.
    if (m_result.cells.capacity() > 4 * m_result.cells.size() + 4096)
        m_result.cells.squeeze();
    m_columnCount = static_cast<int>(m_result.columns.size());
    try {
        prepareLookups();
    } catch (...) {
        m_result = StatementResult();
        m_columnCount = 0;
        if (!m_fieldsDeclared)
            m_fields.clear();
        throw;
    }
    m_order.clear();
    m_sort.clear();
    m_position = 0;
    m_bof = true;
    m_eof = recordCount() == 0;
    m_state = DataSetState::Browse;
    notify(&DataSet::stateChanged);
    notify(&DataSet::dataSetChanged);
}

void DataSet::bindFields(const StatementResult& result) {
    const QList<ColumnInfo>& columns = result.columns;
    auto columnOf = [&](const QString& name) {
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return static_cast<int>(i);
        return -1;
    };
    if (!m_fieldsDeclared) {
        m_fields.clear();
        for (qsizetype i = 0; i < columns.size(); ++i) {
            auto field = std::make_unique<Field>(this, columns[i].name, columns[i].name, columns[i].kind,
                                                 columns[i].size);
            field->setIndex(static_cast<int>(i));
            field->setColumn(static_cast<int>(i));
            m_fields.push_back(std::move(field));
        }
        return;
    }
    std::vector<int> bound;
    bound.reserve(m_fields.size());
    for (const auto& field : m_fields) {
        if (field->isLookup()) {
            bound.push_back(-1);
            continue;
        }
        const int column = columnOf(field->fieldName());
        if (column < 0)
            throw DataError(qualified(QStringLiteral("Field '%1' not found").arg(field->fieldName())));
        const FieldKind actual = columns[column].kind;
        if (!KindsAgree(field->kind(), actual))
            throw DataError(
                qualified(QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                              .arg(field->fieldName(), FieldKindName(field->kind()), FieldKindName(actual))));
        bound.push_back(column);
    }
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setColumn(bound[i]);
}

void DataSet::prepareLookups() {
    for (const auto& field : m_fields) {
        if (!field->isLookup())
            continue;
        Field* key = findField(field->keyFields());
        if (!key || key->isLookup())
            throw DataError(qualified(QStringLiteral("Field '%1' not found").arg(field->keyFields())));
        DataSet* lookup = field->lookupDataSet();
        if (!lookup)
            throw DataError(qualified(
                QStringLiteral("Lookup information for field '%1' is incomplete").arg(field->fieldName())));
        if (!lookup->isActive())
            lookup->open();
        lookup->fieldByName(field->lookupKeyFields());
        lookup->fieldByName(field->lookupResultField());
    }
}

void DataSet::close() {
    if (!isActive())
        return;
    m_state = DataSetState::Inactive;
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    // Reopening (another group, a refresh) fills the same storage again rather than memory the
    // process must first be given.
    m_spareCells = std::move(m_result.cells);
    m_spareCells.clear();
    m_result = StatementResult();
    m_columnCount = 0;
    m_order.clear();
    m_order.shrink_to_fit();
    m_sort.clear();
    m_position = 0;
    m_bof = m_eof = false;
    if (m_fieldsDeclared) {
        for (const auto& field : m_fields)
            field->setColumn(-1);
    } else {
        m_fields.clear();
    }
    notify(&DataSet::stateChanged);
    notify(&DataSet::dataSetChanged);
}

int DataSet::recordCount() const {
    return m_columnCount == 0 ? 0 : static_cast<int>(m_result.cells.size() / m_columnCount);
}

int DataSet::physicalRow(int record) const {
    return m_order.empty() ? record : m_order[static_cast<size_t>(record)];
}

const QVariant& DataSet::cellAt(int record, int column) const {
    return m_result.cells[static_cast<qsizetype>(physicalRow(record)) * m_columnCount + column];
}

int DataSet::recNo() const {
    return isActive() && !isEmpty() ? m_position + 1 : 0;
}

void DataSet::moveTo(int position, bool bof, bool eof) {
    const bool moved = position != m_position;
    m_position = position;
    m_bof = bof;
    m_eof = eof;
    if (moved)
        notify(&DataSet::scrolled);
}

void DataSet::setRecNo(int recNo) {
    if (!isActive() || isEmpty())
        return;
    checkBrowseMode();
    moveTo(std::clamp(recNo, 1, recordCount()) - 1, false, false);
}

void DataSet::first() {
    if (!isActive())
        return;
    checkBrowseMode();
    moveTo(0, true, isEmpty());
}

void DataSet::last() {
    if (!isActive())
        return;
    checkBrowseMode();
    moveTo(std::max(0, recordCount() - 1), isEmpty(), true);
}

void DataSet::next() {
    if (!isActive())
        return;
    checkBrowseMode();
    if (m_position + 1 < recordCount())
        moveTo(m_position + 1, false, false);
    else
        moveTo(m_position, false, true);
}

void DataSet::prior() {
    if (!isActive())
        return;
    checkBrowseMode();
    if (m_position > 0)
        moveTo(m_position - 1, false, false);
    else
        moveTo(m_position, true, false);
}

void DataSet::setSort(const QString& column) {
    if (!isActive()) {
        m_sort = column;
        return;
    }
    const int current = isEmpty() ? -1 : currentRow();
    if (column.trimmed().isEmpty()) {
        m_order.clear();
    } else {
        const int index = columnIndex(column.trimmed());
        if (index < 0)
            throw DataError(qualified(QStringLiteral("Field '%1' not found").arg(column.trimmed())));
        std::vector<int> order(static_cast<size_t>(recordCount()));
        std::iota(order.begin(), order.end(), 0);
        const QList<QVariant>& cells = m_result.cells;
        const qsizetype width = m_columnCount;
        std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
            return CompareValues(cells[left * width + index], cells[right * width + index]) < 0;
        });
        m_order = std::move(order);
    }
    m_sort = column;
    if (current >= 0) {
        const auto found =
            m_order.empty() ? m_order.end() : std::find(m_order.begin(), m_order.end(), current);
        m_position = m_order.empty() ? current : static_cast<int>(found - m_order.begin());
    }
    notify(&DataSet::dataSetChanged);
}

void DataSet::edit() {
    if (!isActive())
        throw DataError(qualified(QStringLiteral("Cannot perform this operation on a closed dataset")));
    if (m_state == DataSetState::Edit)
        return;
    if (isEmpty()) {
        append();
        return;
    }
    m_changed.clear();
    m_buffer.assign(m_fields.size(), std::nullopt);
    m_modified = false;
    m_state = DataSetState::Edit;
    notify(&DataSet::stateChanged);
    if (m_afterEdit)
        m_afterEdit(*this);
}

void DataSet::append() {
    if (!isActive())
        throw DataError(qualified(QStringLiteral("Cannot perform this operation on a closed dataset")));
    checkBrowseMode();
    if (m_beforeInsert)
        m_beforeInsert(*this);
    throw DataError(qualified(QStringLiteral("Adding records is not supported")));
}

void DataSet::checkBrowseMode() {
    if (m_state != DataSetState::Edit)
        return;
    // Input still held by a bound control (the grid's open cell) decides whether the record was
    // modified, so it is handed over first.
    if (m_updateRecord)
        m_updateRecord();
    if (m_modified)
        post();
    else
        cancel();
}

void DataSet::cancel() {
    if (m_state != DataSetState::Edit)
        return;
    endEdit();
}

void DataSet::endEdit() {
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    m_state = DataSetState::Browse;
    notify(&DataSet::stateChanged);
    notify(&DataSet::recordChanged);
}

void DataSet::post() {
    if (m_updateRecord && m_state == DataSetState::Edit)
        m_updateRecord();
    if (m_state != DataSetState::Edit)
        throw DataError(qualified(QStringLiteral("Dataset not in edit or insert mode")));
    writeBack();
    endEdit();
    emit posted();
    if (m_afterPost)
        m_afterPost(*this);
}

void DataSet::writeBack() {
    QList<const Field*> written;
    for (const Field* field : m_changed)
        if (!field->isLookup() && field->column() >= 0)
            written.append(field);
    if (written.isEmpty())
        return;
    if (m_updateTable.isEmpty())
        throw DataError(qualified(QStringLiteral("No base table is declared for writing records back")));
    const int keyColumn = columnIndex(m_keyColumn);
    if (keyColumn < 0)
        throw DataError(qualified(QStringLiteral("Field '%1' not found").arg(m_keyColumn)));
    if (!m_connection)
        throw DataError(qualified(QStringLiteral("Missing Connection or ConnectionString")));
    const int row = currentRow();
    const qsizetype base = static_cast<qsizetype>(row) * m_columnCount;
    // The written columns in the order of their change, then the unchanged ones that belong with
    // them, compared only.
    QList<ColumnChange> columns;
    QList<int> resultColumns;
    for (const Field* field : written) {
        const QVariant& original = m_result.cells[base + field->column()];
        columns.append({field->fieldName(), original, *m_buffer[static_cast<size_t>(field->index())],
                        m_result.columns[field->column()].kind, true});
        resultColumns.append(field->column());
    }
    for (const QString& name : m_updateColumns) {
        const int column = columnIndex(name);
        if (column < 0)
            throw DataError(qualified(QStringLiteral("Field '%1' not found").arg(name)));
        if (resultColumns.contains(column))
            continue;
        const QVariant& original = m_result.cells[base + column];
        columns.append(
            {m_result.columns[column].name, original, original, m_result.columns[column].kind, false});
        resultColumns.append(column);
    }
    const RowUpdate update = BuildRowUpdate(
        m_updateTable, m_keyColumn, m_result.cells[base + keyColumn], columns,
        [this](const QString& column, FieldKind kind) { return m_connection->equalsValue(column, kind); });
    const StatementResult outcome = m_connection->run(update.statement, update.values);
    // The same batch read the row back. Where the server counts the changed rows, the count says
    // whether this post changed it; where it does not (NOCOUNT), or where the post matched nothing
    // because its values are already there (the reply to an earlier post of them was lost), what
    // the row holds decides.
    const bool read =
        outcome.hasResultSet && outcome.rowCount() == 1 && outcome.columns.size() == columns.size();
    bool holds = read;
    for (qsizetype i = 0; holds && i < columns.size(); ++i)
        holds = SameValue(outcome.cell(0, i), columns[i].value);
    if (outcome.rowsAffected < 1 && !holds) {
        if (!outcome.hasResultSet)
            throw DataError(QStringLiteral("Строка не сохранена: сервер не сообщил, записана ли она. "
                                           "Введённые значения остались в строке."));
        throw DataError(
            QStringLiteral("Строка не сохранена: после того как она была прочитана, её изменил "
                           "или удалил другой пользователь. Введённые значения остались в строке."));
    }
    // Only now, with the server's row changed, does the client copy take its values.
    for (qsizetype i = 0; i < columns.size(); ++i)
        m_result.cells[base + resultColumns[i]] = read ? outcome.cell(0, i) : columns[i].value;
}

void DataSet::setUpdateTarget(const QString& table, const QString& keyColumn, const QStringList& columns) {
    m_updateTable = table;
    m_keyColumn = keyColumn;
    m_updateColumns = columns;
}

QVariant DataSet::dataValue(const Field& field, int record) const {
    if (m_state == DataSetState::Edit && record == m_position) {
        const auto& buffered = m_buffer[static_cast<size_t>(field.index())];
        if (buffered)
            return *buffered;
    }
    if (field.column() < 0 || record < 0 || record >= recordCount())
        return QVariant();
    return cellAt(record, field.column());
}

void DataSet::setBufferedValue(const Field& field, const QVariant& value) {
    if (m_state != DataSetState::Edit)
        throw DataError(qualified(QStringLiteral("Dataset not in edit or insert mode")));
    m_buffer[static_cast<size_t>(field.index())] = value;
    Field* changed = m_fields[static_cast<size_t>(field.index())].get();
    if (!m_changed.contains(changed))
        m_changed.append(changed);
    m_modified = true;
    notify(&DataSet::recordChanged);
}

void DataSet::enableControls() {
    if (m_controlsDisabled == 0)
        return;
    if (--m_controlsDisabled == 0)
        emit dataSetChanged();
}

void DataSet::notify(void (DataSet::*signal)()) {
    if (m_controlsDisabled == 0)
        (this->*signal)();
}
