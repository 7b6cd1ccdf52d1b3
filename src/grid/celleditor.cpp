#include "celleditor.h"

#include "data/dataset.h"
#include "data/datasource.h"
#include "data/field.h"
#include "gridmodel.h"
#include "tgridcolumn.h"

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

// Typing, pasting and deleting in a column of its own value: the edit is made on a copy of the
// editor's text, which becomes the cell's text, typed into, only when the edit changed it and the
// row could be put into edit.
bool CellEditor::modifyText(const std::function<bool(EditorText&)>& edit) {
    EditorText editor = m_editor;
    if (!edit(editor) || !beginModify())
        return false;
    m_modified = true;
    setEditor(editor);
    return true;
}

void CellEditor::setSelection(int anchor, int cursor) {
    m_editor.setSelection(anchor, cursor);
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

// Sets a value of the row as the grid's own change, which leaves the editor as it is.
void CellEditor::setFieldValue(Field& field, const QVariant& value) {
    const WritingScope writing(m_writing);
    field.setValue(value);
}

void CellEditor::revertCell() {
    load();
}
