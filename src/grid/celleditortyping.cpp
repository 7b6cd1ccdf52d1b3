#include "celleditor.h"

#include "lookupcompletion.h"
#include "platform/silentabort.h"

#include <QRegularExpression>

namespace {

// A single-line editor takes the first line of a pasted text.
QString FirstLine(const QString& text) {
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    return end < 0 ? text : text.left(end);
}

} // namespace

bool CellEditor::typeText(const QString& text) {
    if (text.isEmpty())
        return false;
    try {
        if (m_open == DropDown::Calendar)
            cancelDropDown();
        if (isListColumn())
            return complete(m_editor.text().left(m_editor.selectionStart()) + text);
        return modifyText([&](EditorText& editor) { return editor.insert(text, maxLength()); });
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
        return modifyText([&](EditorText& editor) { return editor.insert(FirstLine(text), maxLength()); });
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
        return modifyText([](EditorText& editor) { return editor.deleteBackward(); }) ? selected : QString();
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
