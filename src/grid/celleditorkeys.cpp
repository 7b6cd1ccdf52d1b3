#include "celleditor.h"

#include "data/dataset.h"
#include "data/field.h"
#include "gridmodel.h"
#include "platform/silentabort.h"
#include "tgridcolumn.h"

#include <algorithm>

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
    modifyText([](EditorText& editor) { return editor.deleteBackward(); });
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
    modifyText([](EditorText& editor) { return editor.deleteForward(); });
}

// Ctrl+': the row shown above gives the current column its value (a lookup column its key).
void CellEditor::copyFromAbove() {
    const int current = m_model.currentRecord();
    if (current < 0 || m_model.rowOfRecord(current) <= 0 || !beginModify())
        return;
    Field* target = field()->isLookup() ? keyField() : field();
    if (!target)
        return;
    setFieldValue(*target, target->valueAt(current - 1));
    load();
}
