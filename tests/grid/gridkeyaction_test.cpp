// The key table of the grid's cell editor, decided without a grid: what each key does for the
// state of the editor's text and of the drop-downs.
#include "grid/gridkeyaction.h"
#include "keymodifiers.h"

#include <gtest/gtest.h>

namespace {

using A = GridKeyAction;
using D = GridKeyContext::DropDown;

// Editor states: the caret inside the text, the whole text selected, the caret at either end; a
// column with a drop-down, closed or open.
GridKeyContext Inside() {
    return {};
}
GridKeyContext Whole() {
    GridKeyContext context;
    context.wholeSelected = true;
    return context;
}
GridKeyContext AtStart() {
    GridKeyContext context;
    context.caretAtStart = true;
    return context;
}
GridKeyContext AtEnd() {
    GridKeyContext context;
    context.caretAtEnd = true;
    return context;
}
GridKeyContext WithDropDown(D open = D::None) {
    GridKeyContext context = Whole();
    context.hasDropDown = true;
    context.open = open;
    return context;
}
GridKeyContext NoFindDialog() {
    GridKeyContext context;
    context.dialogFind = false;
    return context;
}

TEST(GridKeyActionTest, KeyTable) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        GridKeyContext context;
        GridKeyAction action;
        const char* what;
    } keys[] = {
        {Qt::Key_Tab, None, Inside(), A::NextTabStop, "Tab"},
        {Qt::Key_Tab, Shift, Inside(), A::PriorTabStop, "Shift+Tab"},
        {Qt::Key_Backtab, Shift, Inside(), A::PriorTabStop, "Backtab"},
        {Qt::Key_Tab, Alt, Inside(), A::None, "Alt+Tab"},
        {Qt::Key_Down, None, Inside(), A::NextRow, "Down"},
        {Qt::Key_Up, None, Inside(), A::PriorRow, "Up"},
        {Qt::Key_PageDown, None, Inside(), A::NextPage, "Page Down"},
        {Qt::Key_PageUp, None, Inside(), A::PriorPage, "Page Up"},
        {Qt::Key_Down, Ctrl, Inside(), A::LastShownRow, "Ctrl+Down"},
        {Qt::Key_PageDown, Ctrl, Inside(), A::LastShownRow, "Ctrl+Page Down"},
        {Qt::Key_Up, Ctrl, Inside(), A::FirstShownRow, "Ctrl+Up"},
        {Qt::Key_PageUp, Ctrl, Inside(), A::FirstShownRow, "Ctrl+Page Up"},
        {Qt::Key_End, Ctrl, Inside(), A::LastRecord, "Ctrl+End"},
        {Qt::Key_Home, Ctrl, Inside(), A::FirstRecord, "Ctrl+Home"},
        // Left and Right leave the cell only from the matching end of the text, or with all of it
        // selected; with Ctrl always, to the first or last column.
        {Qt::Key_Left, None, Inside(), A::Editor, "Left inside"},
        {Qt::Key_Left, None, AtStart(), A::LeftColumn, "Left at the start"},
        {Qt::Key_Left, None, AtEnd(), A::Editor, "Left at the end"},
        {Qt::Key_Left, None, Whole(), A::LeftColumn, "Left, all selected"},
        {Qt::Key_Left, Ctrl, Inside(), A::FirstColumn, "Ctrl+Left"},
        {Qt::Key_Left, Shift, AtStart(), A::Editor, "Shift+Left selects"},
        {Qt::Key_Right, None, Inside(), A::Editor, "Right inside"},
        {Qt::Key_Right, None, AtEnd(), A::RightColumn, "Right at the end"},
        {Qt::Key_Right, None, AtStart(), A::Editor, "Right at the start"},
        {Qt::Key_Right, None, Whole(), A::RightColumn, "Right, all selected"},
        {Qt::Key_Right, Ctrl, Inside(), A::LastColumn, "Ctrl+Right"},
        {Qt::Key_Home, None, Inside(), A::Editor, "Home inside"},
        {Qt::Key_Home, None, AtStart(), A::FirstColumn, "Home at the start"},
        {Qt::Key_Home, None, Whole(), A::FirstColumn, "Home, all selected"},
        {Qt::Key_End, None, Inside(), A::Editor, "End inside"},
        {Qt::Key_End, None, AtEnd(), A::LastColumn, "End at the end"},
        {Qt::Key_End, None, Whole(), A::LastColumn, "End, all selected"},
        {Qt::Key_Return, None, Inside(), A::ToggleSelection, "Enter"},
        {Qt::Key_Enter, None, Whole(), A::ToggleSelection, "keypad Enter"},
        {Qt::Key_Escape, None, Inside(), A::Escape, "Escape"},
        {Qt::Key_F2, None, Whole(), A::Deselect, "F2"},
        {Qt::Key_Insert, None, Inside(), A::Append, "Insert"},
        {Qt::Key_Insert, Shift, Inside(), A::Paste, "Shift+Insert"},
        {Qt::Key_Insert, Ctrl, Inside(), A::Copy, "Ctrl+Insert"},
        {Qt::Key_V, Ctrl, Inside(), A::Paste, "Ctrl+V"},
        {Qt::Key_C, Ctrl, Inside(), A::Copy, "Ctrl+C"},
        {Qt::Key_X, Ctrl, Inside(), A::Cut, "Ctrl+X"},
        {Qt::Key_Delete, Shift, Inside(), A::Cut, "Shift+Delete"},
        {Qt::Key_Delete, None, Inside(), A::Delete, "Delete"},
        {Qt::Key_Delete, Ctrl, Whole(), A::None, "Ctrl+Delete deletes no row"},
        {Qt::Key_Backspace, None, Inside(), A::Backspace, "Backspace"},
        {Qt::Key_Apostrophe, Ctrl, Inside(), A::CopyFromAbove, "Ctrl+'"},
        {Qt::Key_F, Ctrl, Inside(), A::Find, "Ctrl+F"},
        {Qt::Key_F, Ctrl, NoFindDialog(), A::None, "Ctrl+F without the find dialog"},
        {Qt::Key_Z, Ctrl, Inside(), A::None, "the editor's own undo"},
        {Qt::Key_A, None, Inside(), A::Editor, "a key for the editor"},
        // Drop-downs.
        {Qt::Key_Down, Alt, WithDropDown(), A::ToggleDropDown, "Alt+Down opens"},
        {Qt::Key_Up, Alt, WithDropDown(D::List), A::ToggleDropDown, "Alt+Up on an open list"},
        {Qt::Key_Down, Alt, Whole(), A::None, "Alt+Down without a drop-down"},
        {Qt::Key_Return, Ctrl, WithDropDown(), A::OpenDropDown, "Ctrl+Enter opens"},
        {Qt::Key_Return, Ctrl, Whole(), A::None, "Ctrl+Enter without a drop-down"},
        {Qt::Key_Return, None, WithDropDown(D::Calendar), A::AcceptDropDown, "Enter accepts"},
        {Qt::Key_Escape, None, WithDropDown(D::List), A::CancelDropDown, "Escape cancels"},
        {Qt::Key_Down, None, WithDropDown(D::List), A::DropDownKey, "Down in the list"},
        {Qt::Key_PageUp, None, WithDropDown(D::List), A::DropDownKey, "Page Up in the list"},
        {Qt::Key_End, Ctrl, WithDropDown(D::List), A::DropDownKey, "Ctrl+End in the list"},
        {Qt::Key_Left, None, WithDropDown(D::List), A::LeftColumn, "Left is not the list's"},
        {Qt::Key_Left, None, WithDropDown(D::Calendar), A::DropDownKey, "Left in the calendar"},
        {Qt::Key_Right, None, WithDropDown(D::Calendar), A::DropDownKey, "Right in the calendar"},
        {Qt::Key_Home, Ctrl, WithDropDown(D::Calendar), A::DropDownKey, "Ctrl+Home in the calendar"},
        {Qt::Key_Tab, None, WithDropDown(D::Calendar), A::NextTabStop, "Tab leaves the calendar's cell"},
    };
    for (const auto& k : keys)
        EXPECT_EQ(GridKeyActionFor(k.key, k.modifiers, k.context), k.action) << k.what;
}

} // namespace
