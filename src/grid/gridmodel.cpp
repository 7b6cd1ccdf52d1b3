#include "gridmodel.h"

#include "data/dataset.h"
#include "data/datasource.h"
#include "data/field.h"
#include "textmeasure.h"
#include "tgridcolumn.h"
#include "widthfitting.h"

#include <algorithm>

GridModel::GridModel(QObject* parent) : QObject(parent) {}

GridModel::~GridModel() = default;

TGridColumn* GridModel::addColumn(const QString& fieldName, const QString& caption, int width,
                                  bool readOnly) {
    m_columns.push_back(std::make_unique<TGridColumn>(fieldName, caption, width, readOnly));
    TGridColumn* added = m_columns.back().get();
    requestLayout();
    return added;
}

void GridModel::clearColumns() {
    m_columns.clear();
    m_currentColumn = 0;
    requestLayout();
}

TGridColumn* GridModel::column(int index) const {
    return index >= 0 && index < columnCount() ? m_columns[static_cast<size_t>(index)].get() : nullptr;
}

QList<TGridColumn*> GridModel::columns() const {
    QList<TGridColumn*> list;
    for (const auto& column : m_columns)
        list.append(column.get());
    return list;
}

Field* GridModel::columnField(int column) const {
    const TGridColumn* found = this->column(column);
    // Looked up on every use: a dataset without declared fields makes new ones on every opening.
    return found && m_dataSet ? m_dataSet->findField(found->fieldName()) : nullptr;
}

void GridModel::setDataSource(DataSource* source) {
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_source = source;
    m_dataSet = source ? source->dataSet() : nullptr;
    if (m_dataSet) {
        connect(m_dataSet, &DataSet::dataSetChanged, this, &GridModel::dataSetChanged);
        connect(m_dataSet, &DataSet::scrolled, this, &GridModel::scrolled);
        connect(m_dataSet, &DataSet::recordChanged, this, &GridModel::changed);
        connect(m_dataSet, &DataSet::stateChanged, this, &GridModel::changed);
    }
    m_wasActive = false;
    dataSetChanged();
}

bool GridModel::dataActive() const {
    return m_dataSet && m_dataSet->isActive();
}

int GridModel::recordCount() const {
    return dataActive() ? m_dataSet->recordCount() : 0;
}

void GridModel::setTextMeasure(const TextMeasure* measure) {
    m_measure = measure;
    requestLayout();
}

void GridModel::setArea(int width, int height, int scrollBarExtent) {
    if (width == m_layout.areaWidth() && height == m_layout.areaHeight())
        return;
    m_layout.setArea(width, height);
    m_layout.setScrollBarExtent(scrollBarExtent);
    requestLayout();
}

void GridModel::setOptions(GridOptions options) {
    m_layout.setOptions(options);
    requestLayout();
}

void GridModel::setOptionsEx(GridOptionsEx options) {
    m_layout.setOptionsEx(options);
    requestLayout();
}

void GridModel::setFitColWidths(bool fit) {
    m_layout.setFitColWidths(fit);
    requestLayout();
}

void GridModel::setMultiTitle(bool multiTitle) {
    m_layout.setMultiTitle(multiTitle);
    requestLayout();
}

void GridModel::setMinFitWidth(int width) {
    m_layout.setMinFitWidth(width);
    requestLayout();
}

void GridModel::setTitleMarginV(int margin) {
    m_layout.setTitleMarginV(margin);
    requestLayout();
}

void GridModel::requestLayout() {
    if (m_updateLock > 0) {
        m_layoutPending = true;
        return;
    }
    if (m_layoutRunning || !m_measure)
        return;
    runLayout();
}

void GridModel::endUpdate() {
    if (m_updateLock > 0 && --m_updateLock == 0 && m_layoutPending) {
        m_layoutPending = false;
        requestLayout();
    }
}

void GridModel::runLayout() {
    m_layoutRunning = true;
    try {
        updateTabStops();
        m_layout.run(columns(), *m_measure, recordCount());
    } catch (...) {
        m_layoutRunning = false;
        throw;
    }
    m_layoutRunning = false;
    ++m_layoutPasses;
    showCurrent(nullptr);
    emit changed();
}

bool GridModel::fieldReadOnly(const Field& field) const {
    if (!field.isLookup())
        return field.readOnly();
    // A lookup field is read-only only when all its key fields are.
    for (const QString& name : field.keyFields().split(u';', Qt::SkipEmptyParts)) {
        const Field* key = m_dataSet->findField(name.trimmed());
        if (key && !key->readOnly())
            return false;
    }
    return true;
}

void GridModel::updateTabStops() {
    for (int i = 0; i < columnCount(); ++i) {
        TGridColumn* column = this->column(i);
        const Field* field = columnField(i);
        column->setTabStop(column->visible() && !column->readOnly() && field && !fieldReadOnly(*field));
    }
}

void GridModel::dataSetChanged() {
    const bool active = dataActive();
    // An opened dataset starts at its first record, shown in the first row.
    if (active && !m_wasActive)
        m_topRecord = 0;
    m_wasActive = active;
    requestLayout();
    showCurrent(nullptr);
    emit changed();
}

void GridModel::scrolled() {
    const Centre* centre = m_nextMoveCentre;
    m_nextMoveCentre = nullptr;
    showCurrent(centre);
    emit changed();
}

// Keeps the current record in view, scrolling as little as it can unless asked to centre it.
void GridModel::showCurrent(const Centre* centre) {
    const int count = recordCount();
    const int rows = std::max(m_layout.fullRowCount(), 1);
    const int current = currentRecord();
    const bool hidden = current < m_topRecord || current >= m_topRecord + rows;
    if (current >= 0 && centre && (*centre == Centre::Always || hidden))
        m_topRecord = current - (rows - 1) / 2;
    m_topRecord = std::clamp(m_topRecord, 0, std::max(count - rows, 0));
    if (current >= 0 && current < m_topRecord)
        m_topRecord = current;
    else if (current >= m_topRecord + rows)
        m_topRecord = current - rows + 1;
}

int GridModel::currentRecord() const {
    return dataActive() && !m_dataSet->isEmpty() ? m_dataSet->recNo() - 1 : -1;
}

int GridModel::recordAtRow(int row) const {
    const int record = m_topRecord + row;
    return row >= 0 && record < recordCount() ? record : -1;
}

int GridModel::rowOfRecord(int record) const {
    const int row = record - m_topRecord;
    return record >= 0 && record < recordCount() && row >= 0 && row < m_layout.shownRowCount() ? row : -1;
}

void GridModel::setCurrentColumn(int column) {
    column = std::clamp(column, 0, std::max(columnCount() - 1, 0));
    if (column == m_currentColumn)
        return;
    if (m_beforeColumnChange)
        m_beforeColumnChange();
    m_currentColumn = column;
    emit changed();
}

void GridModel::moveBy(int distance) {
    if (!dataActive())
        return;
    // The steps below stop at a mark already set, so the post must not depend on them.
    if (distance != 0)
        m_dataSet->checkBrowseMode();
    for (int step = 0; step < distance && !m_dataSet->eof(); ++step)
        m_dataSet->next();
    for (int step = 0; step > distance && !m_dataSet->bof(); --step)
        m_dataSet->prior();
}

void GridModel::moveToRecord(int record) {
    jumpTo(record, Centre::IfHidden);
}

void GridModel::jumpTo(int record, Centre centre) {
    if (!dataActive() || m_dataSet->isEmpty())
        return;
    if (record == currentRecord()) {
        m_dataSet->checkBrowseMode();
        showCurrent(&centre);
        emit changed();
        return;
    }
    m_nextMoveCentre = &centre;
    try {
        m_dataSet->setRecNo(record + 1);
    } catch (...) {
        m_nextMoveCentre = nullptr;
        throw;
    }
    m_nextMoveCentre = nullptr;
}

GridPosition GridModel::position() const {
    const int current = currentRecord();
    if (current < 0)
        return GridPosition();
    const int shown = std::min(std::max(m_layout.fullRowCount(), 1), recordCount() - m_topRecord);
    const int middle = m_topRecord + (shown - 1) / 2;
    return GridPosition{middle, current - middle};
}

void GridModel::restorePosition(const GridPosition& position) {
    if (position.middleRecord < 0 || position.middleRecord >= recordCount())
        return;
    jumpTo(position.middleRecord, Centre::Always);
    moveBy(position.distance);
}

void GridModel::resizeColumn(int column, int width) {
    QList<TGridColumn*> visible;
    int index = -1;
    for (int i = 0; i < columnCount(); ++i) {
        if (!this->column(i)->visible())
            continue;
        if (i == column)
            index = static_cast<int>(visible.size());
        visible.append(this->column(i));
    }
    if (index < 0)
        return;
    WidthFitting::dragBorder(visible, index, width, m_layout.fitColWidths());
    requestLayout();
}

QString GridModel::cellText(int record, int column) const {
    const Field* field = columnField(column);
    if (!field || record < 0 || record >= recordCount())
        return QString();
    return fieldDisplayText(*field, record);
}

QString GridModel::fieldDisplayText(const Field& field, int record) {
    return field.asStringAt(record);
}

QString GridModel::displayText(int column) const {
    return cellText(currentRecord(), column);
}

GridModel::Glyph GridModel::indicatorGlyph(int record) const {
    if (record < 0 || record != currentRecord())
        return Glyph::None;
    return m_dataSet->state() == DataSetState::Edit ? Glyph::Edit : Glyph::Arrow;
}

GridModel::Highlight GridModel::cellHighlight(int record, int column, bool gridFocused) const {
    if (record < 0 || record != currentRecord())
        return Highlight::None;
    if (column != m_currentColumn)
        return m_layout.optionsEx().testFlag(dgxRowHighlight) ? Highlight::Row : Highlight::None;
    return gridFocused && m_layout.optionsEx().testFlag(dgxHighlightFocus) ? Highlight::Current
                                                                           : Highlight::None;
}
