// The cell editor's text with its caret and selection: typing under a length limit, deleting, and
// the selection rules that the keys ask about.
#include "grid/editortext.h"

#include <gtest/gtest.h>

namespace {

TEST(EditorTextTest, TypingReplacesTheSelectionWithinTheLimit) {
    const struct {
        const char* text;
        int anchor;
        int cursor;
        const char* typed;
        int limit;
        bool changed;
        const char* result;
        int caret;
    } cases[] = {
        {"09:00", 5, 0, "1", 10, true, "1", 1},                          // all selected: replaced
        {"09:00", 5, 5, " - 10:30", 10, true, "09:00 - 10", 10},         // cut to the limit
        {"0123456789", 10, 10, "x", 10, false, "0123456789", 10},        // full: refused
        {"0123456789", 2, 4, "xyz", 10, true, "01xy456789", 4},          // room of the selection only
        {"1-115", 5, 5, "-Бис-корпус", 0, true, "1-115-Бис-корпус", 16}, // no limit
        {"", 0, 0, "", 0, false, "", 0},
    };
    for (const auto& c : cases) {
        EditorText text(QString::fromUtf8(c.text));
        text.setSelection(c.anchor, c.cursor);
        EXPECT_EQ(text.insert(QString::fromUtf8(c.typed), c.limit), c.changed) << c.text << " + " << c.typed;
        EXPECT_EQ(text.text(), QString::fromUtf8(c.result)) << c.text << " + " << c.typed;
        EXPECT_EQ(text.cursor(), c.caret) << c.text << " + " << c.typed;
        if (!c.changed)
            EXPECT_EQ(text.anchor(), c.anchor) << "a refused input keeps the selection";
    }
}

TEST(EditorTextTest, DeletingAndTheSelectionRules) {
    EditorText text(QStringLiteral("12:20"));
    EXPECT_TRUE(text.wholeSelected());
    EXPECT_EQ(text.cursor(), 0) << "the beginning of a long text stays in view";
    EXPECT_FALSE(text.caretAtStart()) << "a selection is not a caret";
    text.setCaret(2);
    EXPECT_TRUE(text.deleteBackward());
    EXPECT_EQ(text.text(), "1:20");
    EXPECT_TRUE(text.deleteForward());
    EXPECT_EQ(text.text(), "120");
    text.setCaret(0);
    EXPECT_TRUE(text.caretAtStart());
    EXPECT_FALSE(text.deleteBackward());
    text.deselectToEnd();
    EXPECT_TRUE(text.caretAtEnd());
    EXPECT_FALSE(text.deleteForward());
    text.setSelection(1, 3);
    EXPECT_EQ(text.selectedText(), "20");
    EXPECT_TRUE(text.deleteForward());
    EXPECT_EQ(text.text(), "1");
    EXPECT_TRUE(EditorText(QString()).wholeSelected()) << "an empty text counts as all selected";
}

} // namespace
