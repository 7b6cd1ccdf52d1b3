#pragma once

#include <Qt>

// What a key pressed in the grid's cell editor does. The editor's own handling (Editor) moves the
// caret and the selection inside its text and copies; everything else is the grid's.
enum class GridKeyAction {
    None, // swallowed: nothing happens
    Editor,
    NextTabStop,
    PriorTabStop,
    NextRow, // on the last row: the append attempt
    PriorRow,
    NextPage,
    PriorPage,
    FirstShownRow,
    LastShownRow,
    FirstRecord,
    LastRecord,
    LeftColumn,
    RightColumn,
    FirstColumn,
    LastColumn,
    ToggleSelection, // Enter
    Escape,          // revert the cell, or cancel the row's edit
    Deselect,        // F2
    Append,          // Insert
    Paste,
    Cut,
    Copy,
    Backspace,
    Delete,
    CopyFromAbove, // Ctrl+'
    Find,          // Ctrl+F
    ToggleDropDown,
    OpenDropDown,
    AcceptDropDown,
    CancelDropDown,
    DropDownKey, // passed to the open drop-down
};

// What the choice depends on besides the key.
struct GridKeyContext {
    enum class DropDown { None, Calendar, List };
    // The current column has a drop-down, and which one is open.
    bool hasDropDown = false;
    DropDown open = DropDown::None;
    // The editor's caret and selection: the whole text selected, or the caret at the start or end
    // of the text with nothing selected.
    bool wholeSelected = false;
    bool caretAtStart = false;
    bool caretAtEnd = false;
    // Ctrl+F asks for the find dialog (dgxDialogFind).
    bool dialogFind = true;
};

// The key table of the grid's cell editor. `key` is a Qt::Key; the keypad's Enter counts as
// Return. Typed characters are not keys here: they go to the editor's text.
GridKeyAction GridKeyActionFor(int key, Qt::KeyboardModifiers modifiers, const GridKeyContext& context);
