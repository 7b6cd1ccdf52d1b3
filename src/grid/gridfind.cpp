#include "gridfind.h"

#include "data/dataset.h"
#include "data/field.h"
#include "data/fieldreader.h"
#include "gridmodel.h"
#include "tgridcolumn.h"

#include <QLocale>
#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Nothing bound to the dataset redraws while the search moves it; released on every way out.
class FrozenControls {
public:
    explicit FrozenControls(DataSet& dataSet) : m_dataSet(dataSet) { m_dataSet.disableControls(); }
    ~FrozenControls() { m_dataSet.enableControls(); }
    FrozenControls(const FrozenControls&) = delete;
    FrozenControls& operator=(const FrozenControls&) = delete;

private:
    DataSet& m_dataSet;
};

} // namespace

const QString GridFind::AllEntry = QStringLiteral("<All>");

void GridFind::setGrid(GridModel* grid) {
    m_grid = grid;
}

const QStringList& GridFind::rebuildFindIn() {
    m_entries.clear();
    m_entryColumns.clear();
    if (m_grid) {
        for (int i = 0; i < m_grid->columnCount(); ++i) {
            const TGridColumn* column = m_grid->column(i);
            if (!column->visible())
                continue;
            m_entries.append(column->caption());
            m_entryColumns.append(i);
        }
    }
    m_entries.append(AllEntry);
    return m_entries;
}

int GridFind::currentColumnEntry() const {
    const TGridColumn* current = m_grid ? m_grid->column(m_grid->currentColumn()) : nullptr;
    if (current)
        for (int i = 0; i < m_entryColumns.size(); ++i)
            if (m_entries[i].compare(current->caption(), Qt::CaseInsensitive) == 0)
                return i;
    return static_cast<int>(m_entries.size()) - 1;
}

void GridFind::setFindIn(int entry) {
    m_columns.clear();
    if (entry >= 0 && entry < m_entryColumns.size()) {
        m_findIn = entry;
        m_columns.append(m_entryColumns[entry]);
    } else {
        m_findIn = static_cast<int>(m_entries.size()) - 1;
        if (m_grid)
            for (int i = 0; i < m_grid->columnCount(); ++i)
                if (m_grid->column(i)->visible())
                    m_columns.append(i);
    }
    reset();
}

void GridFind::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    reset();
}

void GridFind::setDirection(Direction direction) {
    if (direction == m_direction)
        return;
    m_direction = direction;
    reset();
}

void GridFind::reset() {
    m_fresh = true;
    m_position = m_direction == Direction::Up ? std::max(static_cast<int>(m_columns.size()) - 1, 0) : 0;
}

bool GridFind::matches(const QString& cell, const QString& text, Match match) {
    switch (match) {
    case Match::AnyPart:
        return !text.isEmpty() && cell.contains(text);
    case Match::WholeField:
        return cell == text;
    case Match::FromBeginning:
        return cell.startsWith(text);
    }
    return false;
}

// One cell on: to the next search column of the record, or past the record's last one to the
// first search column of the next record (backward: the previous column, or the last column of
// the previous record). The position changes only once the record move has succeeded.
void GridFind::step(bool backward, DataSet& dataSet, bool& moved) {
    const int last = static_cast<int>(m_columns.size()) - 1;
    if (!backward) {
        if (m_position < last) {
            ++m_position;
            return;
        }
        dataSet.next();
        moved = true;
        m_position = 0;
    } else {
        if (m_position > 0) {
            --m_position;
            return;
        }
        dataSet.prior();
        moved = true;
        m_position = last;
    }
}

GridFind::Outcome GridFind::findNext(bool reverse) {
    const bool backward = (m_direction == Direction::Up) != reverse;
    bool known = false;
    for (const QString& searched : m_history)
        known = known || searched.compare(m_text, Qt::CaseInsensitive) == 0;
    if (!known)
        m_history.append(m_text);

    GridModel* grid = m_grid;
    if (!grid || !grid->dataActive() || m_columns.isEmpty())
        return Outcome::NotSearched;
    DataSet& dataSet = *grid->dataSet();
    FrozenControls frozen(dataSet);
    const GridPosition start = grid->position();
    m_position = std::clamp(m_position, 0, static_cast<int>(m_columns.size()) - 1);

    // The begin and end marks end the search once the search itself has moved the dataset: marks
    // left by the dataset's opening or by the user's own moves to the first or last record must
    // not end it before the starting record has been searched.
    bool moved = false;
    if (m_direction == Direction::All && m_fresh) {
        dataSet.first();
        moved = true;
    }
    if (!m_fresh)
        step(backward, dataSet, moved);

    // Fields are found once per search, not once per cell, and a lookup's list is read once: the
    // list as it is when the search starts.
    std::vector<std::optional<FieldReader>> fields;
    for (int column : m_columns) {
        fields.emplace_back();
        if (const Field* field = grid->columnField(column))
            fields.back().emplace(*field);
    }
    const QLocale locale;
    const QString wanted = m_matchCase ? m_text : locale.toUpper(m_text);
    while (!dataSet.isEmpty() && !(moved && (backward ? dataSet.bof() : dataSet.eof()))) {
        const std::optional<FieldReader>& field = fields[static_cast<size_t>(m_position)];
        const int record = dataSet.recNo() - 1;
        // The display text and the field's text are one and the same for every kind of field.
        QString cell;
        if (field)
            cell = field->textAt(record);
        if (!m_matchCase)
            cell = locale.toUpper(cell);
        if (matches(cell, wanted, m_match)) {
            grid->setCurrentColumn(m_columns[m_position]);
            m_fresh = false;
            return Outcome::Found;
        }
        step(backward, dataSet, moved);
    }
    grid->restorePosition(start);
    return Outcome::NotFound;
}
