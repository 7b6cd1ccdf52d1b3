#pragma once

#include <QLineEdit>

class QToolButton;

// The cell editor's widget: a frameless single-line edit laid over the current cell, with a
// drop-down button at its right end for the columns that have a drop-down. It decides nothing; the
// grid watches its keys and keeps its text.
class InplaceEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit InplaceEdit(QWidget* parent = nullptr);

    void setDropDownButton(bool shown);
    QToolButton* dropDownButton() const { return m_button; }
    // The end of the selection the caret is not at (the caret's own position with no selection).
    int anchor() const;
    // Shows a text with the selection from anchor to cursor.
    void display(const QString& text, int anchor, int cursor);

signals:
    void dropDownClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Keeps the selection: the cell's selection is the grid's, not the focus's.
    void focusOutEvent(QFocusEvent* event) override;

private:
    void placeButton();

    QToolButton* m_button;
};
