#include "celleditor.h"

#include "listmove.h"

#include "data/dataset.h"
#include "data/datasource.h"
#include "data/datetimetext.h"
#include "data/field.h"
#include "data/valuecomparison.h"
#include "gridmodel.h"
#include "lookupcompletion.h"
#include "platform/silentabort.h"
#include "tgridcolumn.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// Marks the grid's own changes of a field for the time they run.
class WritingScope {
public:
    explicit WritingScope(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~WritingScope() { m_flag = m_was; }
    WritingScope(const WritingScope&) = delete;
    WritingScope& operator=(const WritingScope&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

// A single-line editor takes the first line of a pasted text.
QString FirstLine(const QString& text) {
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    return end < 0 ? text : text.left(end);
}

} // namespace

CellEditor::CellEditor(GridModel& model, QObject* parent) : QObject(parent), m_model(model) {
    connect(&m_model, &GridModel::changed, this, &CellEditor::modelChanged);
    m_model.setBeforeColumnChange([this] { writeCell(); });
    modelChanged();
}

CellEditor::~CellEditor() {
    m_model.setBeforeColumnChange({});
    link(nullptr);
}

// Linking ---------------------------------------------------------------------------------------

void CellEditor::link(DataSet* dataSet) {
    if (m_dataSet) {
        disconnect(m_dataSet, nullptr, this, nullptr);
        m_dataSet->setUpdateRecordHandler({});
    }
    m_dataSet = dataSet;
    m_wasEditing = dataSet && dataSet->state() == DataSetState::Edit;
    if (!dataSet)
        return;
    connect(dataSet, &DataSet::recordChanged, this, &CellEditor::recordChanged);
    connect(dataSet, &DataSet::stateChanged, this, &CellEditor::stateChanged);
    dataSet->setUpdateRecordHandler([this] { writeCell(); });
}

void CellEditor::modelChanged() {
    if (m_model.dataSet() != m_dataSet)
        link(m_model.dataSet());
    const bool active = m_model.dataActive();
    if (active != m_active || m_model.currentRecord() != m_record || m_model.currentColumn() != m_column)
        enterCell();
}

void CellEditor::recordChanged() {
    // A value of the row changed elsewhere (a pick, Ctrl+'); typed text not yet written stays.
    if (!m_writing && !m_modified)
        load();
}

void CellEditor::stateChanged() {
    const bool editing = m_dataSet && m_dataSet->state() == DataSetState::Edit;
    // A post or a cancel shows the row's values again.
    if (m_wasEditing && !editing && !m_writing)
        load();
    m_wasEditing = editing;
}

void CellEditor::enterCell() {
    closeDropDown();
    m_active = m_model.dataActive();
    m_record = m_model.currentRecord();
    m_column = m_model.currentColumn();
    m_modified = false;
    load();
    emit cellEntered();
}

void CellEditor::load() {
    m_beforeList.reset();
    const Field* field = this->field();
    m_editor.setText(field && m_record >= 0 ? field->asString() : QString());
    const Field* key = keyField();
    m_pendingKey = key && m_record >= 0 ? key->value() : QVariant();
    m_modified = false;
    emit editorChanged();
}

// What the current cell is ----------------------------------------------------------------------

Field* CellEditor::field() const {
    return m_model.columnField(m_model.currentColumn());
}

Field* CellEditor::keyField() const {
    const Field* field = this->field();
    if (!field || !field->isLookup() || !m_dataSet)
        return nullptr;
    return m_dataSet->findField(field->keyFields());
}

bool CellEditor::shown() const {
    return m_model.dataActive() && m_model.currentRecord() >= 0 &&
           m_model.layout().options().testFlag(dgEditing) && m_model.column(m_model.currentColumn());
}

bool CellEditor::editorReadOnly() const {
    const TGridColumn* column = m_model.column(m_model.currentColumn());
    return m_readOnly || !column || column->readOnly();
}

int CellEditor::maxLength() const {
    const Field* field = this->field();
    return field && !field->isLookup() && field->kind() == FieldKind::AnsiString ? field->size() : 0;
}

CellEditor::DropDown CellEditor::dropDownKind() const {
    const TGridColumn* column = m_model.column(m_model.currentColumn());
    const Field* field = this->field();
    if (!column || column->readOnly() || !field)
        return DropDown::None;
    if (field->kind() == FieldKind::DateTime && !field->isLookup())
        return DropDown::Calendar;
    if (field->isLookup() && !m_readOnly && m_dataSet && m_dataSet->canModify()) {
        const Field* key = keyField();
        if (key && key->canModify())
            return DropDown::List;
    }
    return DropDown::None;
}

bool CellEditor::isListColumn() const {
    const Field* field = this->field();
    return field && field->isLookup();
}

// A column can be modified when the grid is not read-only and edits, the dataset is open and
// writable, the column is not ReadOnly, its field exists and can be modified (a lookup field through
// its key fields), updates are allowed, and the dataset has rows or may get some.
bool CellEditor::canModifyColumn(int column) const {
    if (m_readOnly || !m_model.layout().options().testFlag(dgEditing))
        return false;
    if (!m_dataSet || !m_dataSet->isActive() || !m_dataSet->canModify())
        return false;
    const TGridColumn* found = m_model.column(column);
    const Field* field = m_model.columnField(column);
    if (!found || found->readOnly() || !field || !field->canModify())
        return false;
    if (!m_allowedOps.testFlag(aoUpdate))
        return false;
    return !m_dataSet->isEmpty() || m_allowedOps.testFlag(aoAppend) || m_allowedOps.testFlag(aoInsert);
}

bool CellEditor::canModify() const {
    return canModifyColumn(m_model.currentColumn());
}

bool CellEditor::canAppend() const {
    return !m_readOnly && m_model.layout().options().testFlag(dgEditing) && m_dataSet &&
           m_dataSet->isActive() && m_dataSet->canModify() && m_allowedOps.testFlag(aoAppend);
}

// Asks to modify the current column with intent to edit: the row goes into edit.
bool CellEditor::beginModify() {
    if (!canModify())
        return false;
    if (m_dataSet->state() != DataSetState::Edit) {
        const DataSource* source = m_model.dataSource();
        if (source && !source->autoEdit())
            return false;
        m_dataSet->edit();
    }
    return m_dataSet->state() == DataSetState::Edit;
}

QString CellEditor::cellText() const {
    return m_beforeList ? m_beforeList->text() : m_editor.text();
}

void CellEditor::setEditor(const EditorText& editor) {
    m_editor = editor;
    emit editorChanged();
}

// Writing and reverting -------------------------------------------------------------------------

void CellEditor::writeCell() {
    if (!m_modified)
        return;
    Field* field = this->field();
    if (!field || !m_dataSet || !m_dataSet->isActive() || m_record < 0) {
        m_modified = false;
        return;
    }
    {
        const WritingScope writing(m_writing);
        if (m_dataSet->state() != DataSetState::Edit)
            m_dataSet->edit();
        if (field->isLookup()) {
            // The key alone: the text follows from it, also when two rows share a text.
            if (Field* key = keyField())
                key->setValue(m_pendingKey);
        } else {
            field->setAsString(cellText());
        }
    }
    m_modified = false;
    m_beforeList.reset();
    // The field's own text of what was written, e.g. a date in the user's format.
    const QString written = field->asString();
    if (written != m_editor.text())
        setEditor(EditorText(written));
}

void CellEditor::revertCell() {
    load();
}

// Keys ------------------------------------------------------------------------------------------

void CellEditor::setSelection(int anchor, int cursor) {
    m_editor.setSelection(anchor, cursor);
}

CellEditor::KeyResult CellEditor::keyPress(int key, Qt::KeyboardModifiers modifiers) {
    GridKeyContext context;
    context.hasDropDown = dropDownKind() != DropDown::None;
    context.open = m_open;
    context.wholeSelected = m_editor.wholeSelected();
    context.caretAtStart = m_editor.caretAtStart();
    context.caretAtEnd = m_editor.caretAtEnd();
    context.dialogFind = m_model.layout().optionsEx().testFlag(dgxDialogFind);
    const GridKeyAction action = GridKeyActionFor(key, modifiers, context);
    try {
        return execute(action, key);
    } catch (const platform::SilentAbort&) {
        // The refused append: it ends the key's handling without a word.
        return KeyResult::Done;
    }
}

CellEditor::KeyResult CellEditor::execute(GridKeyAction action, int key) {
    using Action = GridKeyAction;
    switch (action) {
    case Action::None:
        return KeyResult::Done;
    case Action::Editor:
        return KeyResult::Editor;
    case Action::Paste:
        return KeyResult::Paste;
    case Action::Cut:
        return KeyResult::Cut;
    case Action::Copy:
        return KeyResult::Copy;
    case Action::DropDownKey:
        if (m_open == DropDown::Calendar)
            return KeyResult::DropDown;
        moveList(key);
        return KeyResult::Done;
    case Action::ToggleDropDown:
        if (m_open != DropDown::None)
            acceptDropDown();
        else
            dropDown();
        return KeyResult::Done;
    case Action::OpenDropDown:
        dropDown();
        return KeyResult::Done;
    case Action::AcceptDropDown:
        acceptDropDown();
        return KeyResult::Done;
    case Action::CancelDropDown:
        cancelDropDown();
        return KeyResult::Done;
    case Action::ToggleSelection: {
        EditorText editor = m_editor;
        if (editor.wholeSelected() && editor.hasSelection())
            editor.deselectToEnd();
        else
            editor.selectAll();
        setEditor(editor);
        return KeyResult::Done;
    }
    case Action::Deselect: {
        EditorText editor = m_editor;
        editor.deselectToEnd();
        setEditor(editor);
        return KeyResult::Done;
    }
    case Action::Escape:
        if (m_modified)
            revertCell();
        else if (m_dataSet)
            m_dataSet->cancel();
        return KeyResult::Done;
    case Action::Backspace:
        backspace();
        return KeyResult::Done;
    case Action::Delete:
        deleteKey();
        return KeyResult::Done;
    default:
        break;
    }

    // Moves and what acts on the row close an open drop-down first, without accepting.
    cancelDropDown();
    const int page = std::max(m_model.layout().fullRowCount(), 1);
    const int current = m_model.currentRecord();
    switch (action) {
    case Action::NextTabStop:
    case Action::PriorTabStop:
        tab(action == Action::NextTabStop);
        break;
    case Action::NextRow:
        nextRow();
        break;
    case Action::PriorRow:
        moveRows(-1);
        break;
    case Action::NextPage:
        moveRows(page);
        break;
    case Action::PriorPage:
        moveRows(-page);
        break;
    case Action::FirstShownRow:
        if (current >= 0)
            moveRows(m_model.topRecord() - current);
        break;
    case Action::LastShownRow:
        if (current >= 0)
            moveRows(std::min(m_model.topRecord() + page, m_model.recordCount()) - 1 - current);
        break;
    case Action::FirstRecord:
        if (m_dataSet)
            m_dataSet->first();
        break;
    case Action::LastRecord:
        if (m_dataSet)
            m_dataSet->last();
        break;
    case Action::LeftColumn:
        moveColumn(m_model.currentColumn() - 1, -1);
        break;
    case Action::RightColumn:
        moveColumn(m_model.currentColumn() + 1, 1);
        break;
    case Action::FirstColumn:
        moveColumn(0, 1);
        break;
    case Action::LastColumn:
        moveColumn(m_model.columnCount() - 1, -1);
        break;
    case Action::Append:
        if (canAppend())
            m_dataSet->append();
        break;
    case Action::CopyFromAbove:
        copyFromAbove();
        break;
    case Action::Find:
        emit findRequested(m_editor.selectedText());
        break;
    default:
        break;
    }
    return KeyResult::Done;
}

void CellEditor::moveRows(int distance) {
    if (!m_dataSet || !m_dataSet->isActive())
        return;
    m_dataSet->checkBrowseMode();
    m_model.moveBy(distance);
}

// Down, and Tab past the last column: the next row, or at the end the append attempt.
void CellEditor::nextRow() {
    moveRows(1);
    if (m_dataSet && m_dataSet->isActive() && m_dataSet->eof() && canAppend())
        m_dataSet->append();
}

// The nearest column from `column` on in the direction of `step` that has a width.
void CellEditor::moveColumn(int column, int step) {
    for (; column >= 0 && column < m_model.columnCount(); column += step) {
        const TGridColumn* found = m_model.column(column);
        if (found->visible() && found->width() > 0) {
            m_model.setCurrentColumn(column);
            return;
        }
    }
}

// Steps a column at a time; past the last column the next row's first column, before the first the
// previous row's last; stops at a Tab stop, or when back at the column it started from.
void CellEditor::tab(bool forward) {
    const int count = m_model.columnCount();
    if (count == 0)
        return;
    const int original = m_model.currentColumn();
    int column = original;
    for (;;) {
        column += forward ? 1 : -1;
        if (column >= count) {
            nextRow();
            column = 0;
        } else if (column < 0) {
            moveRows(-1);
            column = count - 1;
        }
        if (column == original)
            return;
        if (m_model.column(column)->tabStop()) {
            m_model.setCurrentColumn(column);
            return;
        }
    }
}

// Backspace deletes before the caret; in a lookup column it deletes nothing and acts as Left.
void CellEditor::backspace() {
    if (isListColumn()) {
        if (m_editor.caretAtStart() || m_editor.wholeSelected()) {
            cancelDropDown();
            moveColumn(m_model.currentColumn() - 1, -1);
            return;
        }
        EditorText editor = m_editor;
        editor.setCaret(editor.cursor() - 1);
        setEditor(editor);
        return;
    }
    EditorText editor = m_editor;
    if (!editor.deleteBackward() || !beginModify())
        return;
    m_modified = true;
    setEditor(editor);
}

// Delete deletes after the caret; in a lookup column it clears the value, and only when the whole
// text is selected.
void CellEditor::deleteKey() {
    if (isListColumn()) {
        if (!m_editor.wholeSelected() || !beginModify())
            return;
        m_beforeList.reset();
        m_pendingKey = QVariant();
        m_modified = true;
        if (m_open == DropDown::List) {
            m_listRow = -1;
            emit dropDownChanged();
        }
        setEditor(EditorText(QString()));
        return;
    }
    EditorText editor = m_editor;
    if (!editor.deleteForward() || !beginModify())
        return;
    m_modified = true;
    setEditor(editor);
}

// Ctrl+': the row shown above gives the current column its value (a lookup column its key).
void CellEditor::copyFromAbove() {
    const int current = m_model.currentRecord();
    if (current < 0 || m_model.rowOfRecord(current) <= 0 || !beginModify())
        return;
    Field* target = field()->isLookup() ? keyField() : field();
    if (!target)
        return;
    {
        const WritingScope writing(m_writing);
        target->setValue(target->valueAt(current - 1));
    }
    load();
}

// Typing, pasting, cutting ----------------------------------------------------------------------

bool CellEditor::typeText(const QString& text) {
    if (text.isEmpty())
        return false;
    try {
        if (m_open == DropDown::Calendar)
            cancelDropDown();
        if (isListColumn())
            return complete(m_editor.text().left(m_editor.selectionStart()) + text);
        EditorText editor = m_editor;
        if (!editor.insert(text, maxLength()) || !beginModify())
            return false;
        m_modified = true;
        setEditor(editor);
        return true;
    } catch (const platform::SilentAbort&) {
        return false;
    }
}

bool CellEditor::paste(const QString& text) {
    try {
        if (m_open == DropDown::Calendar)
            cancelDropDown();
        if (isListColumn())
            return !text.isEmpty() && complete(m_editor.text().left(m_editor.selectionStart()) + text +
                                               m_editor.text().mid(m_editor.selectionEnd()));
        EditorText editor = m_editor;
        if (!editor.insert(FirstLine(text), maxLength()) || !beginModify())
            return false;
        m_modified = true;
        setEditor(editor);
        return true;
    } catch (const platform::SilentAbort&) {
        return false;
    }
}

QString CellEditor::cut() {
    if (!m_editor.hasSelection())
        return QString();
    const QString selected = m_editor.selectedText();
    try {
        if (isListColumn()) {
            // As Delete: the value goes, and only as a whole.
            if (!m_editor.wholeSelected() || !canModify())
                return QString();
            deleteKey();
            return m_modified ? selected : QString();
        }
        EditorText editor = m_editor;
        if (!editor.deleteBackward() || !beginModify())
            return QString();
        m_modified = true;
        setEditor(editor);
        return selected;
    } catch (const platform::SilentAbort&) {
        return QString();
    }
}

// The first row of the lookup whose text begins with the candidate becomes the cell's value, the
// part beyond the candidate selected; no such row: nothing changes.
bool CellEditor::complete(const QString& candidate) {
    const LookupCompletion rows(field());
    const int row = rows.find(candidate);
    if (row < 0 || !beginModify())
        return false;
    const QString text = rows.text(row);
    m_beforeList.reset();
    m_pendingKey = rows.key(row);
    m_modified = true;
    EditorText editor(text);
    editor.setSelection(editor.length(), static_cast<int>(candidate.size()));
    if (m_open == DropDown::List) {
        m_listRow = row;
        emit dropDownChanged();
    }
    setEditor(editor);
    return true;
}

// Drop-downs ------------------------------------------------------------------------------------

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
        {
            const WritingScope writing(m_writing);
            field->setValue(QDateTime(date, time));
        }
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
