#pragma once

#include "editortext.h"
#include "gridkeyaction.h"
#include "gridoptions.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QVariant>
#include <functional>
#include <optional>

class DataSet;
class Field;
class GridModel;
class TGridColumn;

// Editing in the grid without its widgets: the state of the cell editor over the current cell (the
// cell text with its caret and selection, the pending key value of a lookup column and the
// cell-modified flag), writing the cell into its field and reverting it, the keys of the grid, the
// drop-down calendar and list, and typing completion in a lookup column. The editor widget reports
// what the user does and shows what this class holds; every change of the text goes through here.
//
// The cell is written before every row move and post (as the dataset's update-record handler) and
// before every column change (as the model's before-column-change handler); a conversion error
// keeps the text and the flag and stops the move or post.
class CellEditor : public QObject {
    Q_OBJECT

public:
    using DropDown = GridKeyContext::DropDown;
    // What the editor widget still has to do after a key: nothing, its own handling of the key,
    // pass it to the open drop-down, or the clipboard's paste, cut or copy (see paste(), cut()).
    enum class KeyResult { Done, Editor, DropDown, Paste, Cut, Copy };

    explicit CellEditor(GridModel& model, QObject* parent = nullptr);
    ~CellEditor() override;

    GridModel& model() const { return m_model; }
    // The grid's ReadOnly and AllowedOps.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    GridAllowedOps allowedOps() const { return m_allowedOps; }
    void setAllowedOps(GridAllowedOps ops) { m_allowedOps = ops; }

    // Whether the editor shows: editing is on, the dataset open and a record current.
    bool shown() const;
    // The editor is read-only over a ReadOnly column; its text can still be selected and copied.
    bool editorReadOnly() const;
    // 0 for no limit: only a column of an 8-bit text field is limited, to the field's size.
    int maxLength() const;
    // The drop-down the current column offers.
    DropDown dropDownKind() const;
    // Whether a column (the current one) can be modified; see canModifyColumn in the .cpp.
    bool canModifyColumn(int column) const;
    bool canModify() const;

    const EditorText& editor() const { return m_editor; }
    // The cell's text: the editor's, unless the open list shows a row it has moved to.
    QString cellText() const;
    QVariant pendingKey() const { return m_pendingKey; }
    // Typed or picked and not yet written into the field.
    bool modified() const { return m_modified; }

    // The user moved the caret or the selection inside the editor.
    void setSelection(int anchor, int cursor);
    // A key pressed in the editor (or in the grid, or in an open drop-down).
    KeyResult keyPress(int key, Qt::KeyboardModifiers modifiers);
    // Characters typed into the editor; false when they were dropped.
    bool typeText(const QString& text);
    // The clipboard's text pasted into the editor; false when it was dropped.
    bool paste(const QString& text);
    // Cuts the selection; the text for the clipboard, or a null string when nothing was cut.
    QString cut();

    // Writes the cell into its field when it was modified: the pending key value into the lookup's
    // key field, else the text, converted by the field (an empty text stores Null). Puts the row
    // into edit first. Raises the field's conversion error (DataError), keeping text and flag.
    void writeCell();
    // Takes the text again from the field and clears the flag.
    void revertCell();

    // The drop-down that is open, if any.
    DropDown openDropDown() const { return m_open; }
    void dropDown();
    void acceptDropDown();
    void cancelDropDown();
    // The open calendar's date; the calendar widget reports every change.
    QDate calendarDate() const { return m_calendarDate; }
    void setCalendarDate(const QDate& date) { m_calendarDate = date; }
    // The date a calendar opens on: the editor's text read as a date alone; for an empty text
    // today; for a text that is no date alone the field's value, or today when that is Null.
    QDate calendarStartDate() const;
    // The rows of the list: the lookup dataset's texts in its order.
    int listCount() const;
    QString listText(int row) const;
    // The row selected in the open list, -1 for none; moving it shows its text in the editor.
    int listRow() const { return m_listRow; }
    void setListRow(int row);
    // The list's height in rows (DropDownRows, or fewer when there are fewer rows) and width (the
    // editor's, or the width the user gave it when that is larger).
    int listRowsShown() const;
    int listWidth(int editorWidth) const;
    // The user resized the open list: the column keeps the size for the rest of the run.
    void setListSize(int rows, int width);

signals:
    // The editor moved to another cell, or the current cell's editor changed its kind.
    void cellEntered();
    // The text, caret or selection changed other than by the editor widget itself.
    void editorChanged();
    // A drop-down opened or closed, or the list's selection moved.
    void dropDownChanged();
    // Ctrl+F: the owner opens the find dialog, modal, for this text (the editor's selection).
    void findRequested(const QString& text);

private:
    KeyResult execute(GridKeyAction action, int key);
    void modelChanged();
    void link(DataSet* dataSet);
    void recordChanged();
    void stateChanged();
    void enterCell();
    void load();
    Field* field() const;
    Field* keyField() const;
    bool isListColumn() const;
    bool canAppend() const;
    bool beginModify();
    void setEditor(const EditorText& editor);
    bool modifyText(const std::function<bool(EditorText&)>& edit);
    void setFieldValue(Field& field, const QVariant& value);
    bool complete(const QString& candidate);
    void moveRows(int distance);
    void nextRow();
    void moveColumn(int column, int step);
    void tab(bool forward);
    void backspace();
    void deleteKey();
    void copyFromAbove();
    void moveList(int key);
    void closeDropDown();

    GridModel& m_model;
    QPointer<DataSet> m_dataSet;
    bool m_readOnly = false;
    GridAllowedOps m_allowedOps = aoUpdate | aoAppend;

    // The cell the editor stands on.
    bool m_active = false;
    int m_record = -1;
    int m_column = -1;
    bool m_wasEditing = false;

    EditorText m_editor;
    QVariant m_pendingKey;
    bool m_modified = false;
    // Set while the grid itself changes the field, so that the change does not reload the editor.
    bool m_writing = false;

    DropDown m_open = DropDown::None;
    QDate m_calendarDate;
    int m_listRow = -1;
    // The editor as it was before the open list moved its selection.
    std::optional<EditorText> m_beforeList;
};
