#pragma once

#include <QString>
#include <algorithm>

// The text of the cell editor with its caret and selection, as a single-line edit holds them: the
// selection runs between the anchor and the caret (the cursor), either way round. Positions count
// characters from 0 to the text's length.
class EditorText {
public:
    EditorText() = default;
    // The text with all of it selected.
    explicit EditorText(const QString& text);

    const QString& text() const { return m_text; }
    int anchor() const { return m_anchor; }
    int cursor() const { return m_cursor; }
    int length() const { return static_cast<int>(m_text.size()); }
    int selectionStart() const { return std::min(m_anchor, m_cursor); }
    int selectionEnd() const { return std::max(m_anchor, m_cursor); }
    bool hasSelection() const { return m_anchor != m_cursor; }
    QString selectedText() const { return m_text.mid(selectionStart(), selectionEnd() - selectionStart()); }
    // The whole text is selected (an empty text always counts as such).
    bool wholeSelected() const { return selectionStart() == 0 && selectionEnd() == length(); }
    // The caret stands at the start, or at the end, of the text with nothing selected.
    bool caretAtStart() const { return !hasSelection() && m_cursor == 0; }
    bool caretAtEnd() const { return !hasSelection() && m_cursor == length(); }

    // Replaces the text, selecting all of it.
    void setText(const QString& text);
    // Positions are bounded by the text.
    void setSelection(int anchor, int cursor);
    void selectAll();
    // Removes the selection and leaves the caret at the end of the text.
    void deselectToEnd();
    // Puts the caret at a position with nothing selected.
    void setCaret(int position);

    // Replaces the selection with `inserted`, cut to what a limit of maxLength characters leaves
    // room for (0: no limit); the caret follows the inserted text. Returns whether the text changed.
    bool insert(const QString& inserted, int maxLength = 0);
    // Deletes the selection, or else the character before (backward) or after the caret.
    bool deleteBackward();
    bool deleteForward();

    bool operator==(const EditorText&) const = default;

private:
    bool removeSelection();

    QString m_text;
    int m_anchor = 0;
    int m_cursor = 0;
};
