#include "editortext.h"

#include <algorithm>

EditorText::EditorText(const QString& text) {
    setText(text);
}

void EditorText::setText(const QString& text) {
    m_text = text;
    selectAll();
}

void EditorText::setSelection(int anchor, int cursor) {
    m_anchor = std::clamp(anchor, 0, length());
    m_cursor = std::clamp(cursor, 0, length());
}

// The caret goes to the start, so that an editor too narrow for the text shows its beginning.
void EditorText::selectAll() {
    m_anchor = length();
    m_cursor = 0;
}

void EditorText::deselectToEnd() {
    setCaret(length());
}

void EditorText::setCaret(int position) {
    setSelection(position, position);
}

bool EditorText::removeSelection() {
    if (!hasSelection())
        return false;
    const int start = selectionStart();
    m_text.remove(start, selectionEnd() - start);
    setCaret(start);
    return true;
}

bool EditorText::insert(const QString& inserted, int maxLength) {
    QString added = inserted;
    if (maxLength > 0) {
        const int room = maxLength - (length() - (selectionEnd() - selectionStart()));
        added.truncate(std::max(room, 0));
    }
    // Nothing to insert, or no room left: the editor refuses the input and keeps its selection.
    if (added.isEmpty())
        return false;
    const QString before = m_text;
    removeSelection();
    m_text.insert(m_cursor, added);
    setCaret(m_cursor + static_cast<int>(added.size()));
    return m_text != before;
}

bool EditorText::deleteBackward() {
    if (removeSelection())
        return true;
    if (m_cursor == 0)
        return false;
    m_text.remove(m_cursor - 1, 1);
    setCaret(m_cursor - 1);
    return true;
}

bool EditorText::deleteForward() {
    if (removeSelection())
        return true;
    if (m_cursor >= length())
        return false;
    m_text.remove(m_cursor, 1);
    return true;
}
