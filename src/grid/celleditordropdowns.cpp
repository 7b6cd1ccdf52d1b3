#include "celleditor.h"

#include "listmove.h"

#include "data/datetimetext.h"
#include "data/field.h"
#include "data/valuecomparison.h"
#include "gridmodel.h"
#include "lookupcompletion.h"
#include "tgridcolumn.h"

#include <algorithm>

void CellEditor::dropDown() {
    const DropDown kind = dropDownKind();
    if (kind == DropDown::None || m_open != DropDown::None || !shown())
        return;
    m_open = kind;
    m_beforeList.reset();
    if (kind == DropDown::Calendar)
        m_calendarDate = calendarStartDate();
    else
        m_listRow = LookupCompletion(field()).rowOfKey(m_pendingKey);
    emit dropDownChanged();
}

void CellEditor::closeDropDown() {
    if (m_open == DropDown::None)
        return;
    m_open = DropDown::None;
    m_listRow = -1;
    emit dropDownChanged();
}

void CellEditor::cancelDropDown() {
    if (m_open == DropDown::None)
        return;
    const std::optional<EditorText> before = m_beforeList;
    m_beforeList.reset();
    closeDropDown();
    if (before)
        setEditor(*before);
}

void CellEditor::acceptDropDown() {
    if (m_open == DropDown::Calendar) {
        const QDate date = m_calendarDate;
        closeDropDown();
        Field* field = this->field();
        if (!date.isValid() || !field || !beginModify())
            return;
        // The calendar picks the day; a time of day the field holds stays.
        const QVariant old = field->value();
        const QTime time = IsNullValue(old) ? QTime(0, 0) : old.toDateTime().time();
        setFieldValue(*field, QDateTime(date, time));
        load();
        return;
    }
    if (m_open != DropDown::List)
        return;
    const LookupCompletion rows(field());
    const int row = m_listRow;
    const Field* key = keyField();
    if (row < 0 || row >= rows.count() || !key || !key->canModify() || !beginModify()) {
        cancelDropDown();
        return;
    }
    m_beforeList.reset();
    closeDropDown();
    m_pendingKey = rows.key(row);
    m_modified = true;
    setEditor(EditorText(rows.text(row)));
}

QDate CellEditor::calendarStartDate() const {
    const QString text = m_editor.text().trimmed();
    if (text.isEmpty())
        return QDate::currentDate();
    const QDate date = ParseDateText(text);
    if (date.isValid())
        return date;
    const Field* field = this->field();
    const QVariant stored = field ? field->value() : QVariant();
    return IsNullValue(stored) ? QDate::currentDate() : stored.toDateTime().date();
}

int CellEditor::listCount() const {
    return LookupCompletion(field()).count();
}

QString CellEditor::listText(int row) const {
    return LookupCompletion(field()).text(row);
}

void CellEditor::setListRow(int row) {
    if (m_open != DropDown::List)
        return;
    const LookupCompletion rows(field());
    if (row < 0 || row >= rows.count() || row == m_listRow)
        return;
    if (!m_beforeList)
        m_beforeList = m_editor;
    m_listRow = row;
    emit dropDownChanged();
    setEditor(EditorText(rows.text(row)));
}

void CellEditor::moveList(int key) {
    const int count = listCount();
    if (count == 0)
        return;
    ListMove move;
    switch (key) {
    case Qt::Key_Up:
        move = ListMove::Up;
        break;
    case Qt::Key_Down:
        move = ListMove::Down;
        break;
    case Qt::Key_PageUp:
        move = ListMove::PageUp;
        break;
    case Qt::Key_PageDown:
        move = ListMove::PageDown;
        break;
    case Qt::Key_Home:
        move = ListMove::Home;
        break;
    case Qt::Key_End:
        move = ListMove::End;
        break;
    default:
        return;
    }
    setListRow(MovedListRow(m_listRow, count, std::max(listRowsShown() - 1, 1), move));
}

int CellEditor::listRowsShown() const {
    const TGridColumn* column = m_model.column(m_model.currentColumn());
    const int rows = column ? std::max(column->dropDownRows(), 1) : 7;
    const int count = listCount();
    return count > 0 && count < rows ? count : rows;
}

int CellEditor::listWidth(int editorWidth) const {
    const TGridColumn* column = m_model.column(m_model.currentColumn());
    return std::max(editorWidth, column ? column->dropDownWidth() : 0);
}

void CellEditor::setListSize(int rows, int width) {
    TGridColumn* column = m_model.column(m_model.currentColumn());
    if (!column)
        return;
    column->setDropDownRows(std::max(rows, 1));
    column->setDropDownWidth(std::max(width, 0));
}
