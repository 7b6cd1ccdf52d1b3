#include "gridkeyaction.h"

namespace {

using Action = GridKeyAction;
using DropDown = GridKeyContext::DropDown;

// Keys that an open drop-down takes: the calendar all four arrows, the list only Up and Down; both
// the page keys and Ctrl+Home, Ctrl+End.
bool TakenByDropDown(int key, bool ctrl, DropDown open) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        return open == DropDown::Calendar && !ctrl;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return !ctrl;
    case Qt::Key_Home:
    case Qt::Key_End:
        return ctrl;
    default:
        return false;
    }
}

} // namespace

GridKeyAction GridKeyActionFor(int key, Qt::KeyboardModifiers modifiers, const GridKeyContext& context) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    const bool open = context.open != DropDown::None;
    if (key == Qt::Key_Enter)
        key = Qt::Key_Return;

    if (open && !alt && !shift && TakenByDropDown(key, ctrl, context.open))
        return Action::DropDownKey;

    switch (key) {
    case Qt::Key_Tab:
        return alt ? Action::None : shift ? Action::PriorTabStop : Action::NextTabStop;
    case Qt::Key_Backtab:
        return alt ? Action::None : Action::PriorTabStop;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (alt)
            return context.hasDropDown ? Action::ToggleDropDown : Action::None;
        if (shift)
            return Action::None; // no block marking
        if (key == Qt::Key_Down)
            return ctrl ? Action::LastShownRow : Action::NextRow;
        return ctrl ? Action::FirstShownRow : Action::PriorRow;
    case Qt::Key_PageDown:
        return alt || shift ? Action::None : ctrl ? Action::LastShownRow : Action::NextPage;
    case Qt::Key_PageUp:
        return alt || shift ? Action::None : ctrl ? Action::FirstShownRow : Action::PriorPage;
    case Qt::Key_Left:
        if (alt)
            return Action::None;
        if (shift && !ctrl)
            return Action::Editor;
        if (ctrl)
            return Action::FirstColumn;
        return context.caretAtStart || context.wholeSelected ? Action::LeftColumn : Action::Editor;
    case Qt::Key_Right:
        if (alt)
            return Action::None;
        if (shift && !ctrl)
            return Action::Editor;
        if (ctrl)
            return Action::LastColumn;
        return context.caretAtEnd || context.wholeSelected ? Action::RightColumn : Action::Editor;
    case Qt::Key_Home:
        if (ctrl)
            return shift || alt ? Action::None : Action::FirstRecord;
        if (alt)
            return Action::None;
        return !shift && (context.caretAtStart || context.wholeSelected) ? Action::FirstColumn
                                                                         : Action::Editor;
    case Qt::Key_End:
        if (ctrl)
            return shift || alt ? Action::None : Action::LastRecord;
        if (alt)
            return Action::None;
        return !shift && (context.caretAtEnd || context.wholeSelected) ? Action::LastColumn : Action::Editor;
    case Qt::Key_Return:
        if (open)
            return Action::AcceptDropDown;
        if (ctrl)
            return context.hasDropDown ? Action::OpenDropDown : Action::None;
        return alt ? Action::None : Action::ToggleSelection;
    case Qt::Key_Escape:
        return open ? Action::CancelDropDown : Action::Escape;
    case Qt::Key_F2:
        return modifiers == Qt::NoModifier ? Action::Deselect : Action::None;
    case Qt::Key_Insert:
        if (modifiers == Qt::NoModifier)
            return Action::Append;
        if (shift && !ctrl && !alt)
            return Action::Paste;
        if (ctrl && !shift && !alt)
            return Action::Copy;
        return Action::None;
    case Qt::Key_Delete:
        if (modifiers == Qt::NoModifier)
            return Action::Delete;
        if (shift && !ctrl && !alt)
            return Action::Cut;
        return Action::None; // Ctrl+Delete: rows are never deleted
    case Qt::Key_Backspace:
        return modifiers == Qt::NoModifier ? Action::Backspace : Action::None;
    case Qt::Key_Apostrophe:
        return ctrl && !alt ? Action::CopyFromAbove : Action::None;
    case Qt::Key_F:
        if (ctrl && !alt && !shift)
            return context.dialogFind ? Action::Find : Action::None;
        break;
    case Qt::Key_V:
        if (ctrl && !alt && !shift)
            return Action::Paste;
        break;
    case Qt::Key_X:
        if (ctrl && !alt && !shift)
            return Action::Cut;
        break;
    case Qt::Key_C:
        if (ctrl && !alt && !shift)
            return Action::Copy;
        break;
    case Qt::Key_A:
        if (ctrl && !alt && !shift)
            return Action::Editor; // select all
        break;
    default:
        break;
    }
    // Any other combination with Ctrl or Alt would be the editor's own editing command (undo,
    // deleting words, ...): the grid keeps every change of the text in its own hands.
    if (ctrl || alt)
        return Action::None;
    return Action::Editor;
}
