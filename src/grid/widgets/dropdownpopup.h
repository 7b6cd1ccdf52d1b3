#pragma once

#include <QFrame>
#include <QPointer>

// A drop-down of the cell editor: a pop-up window that takes the keyboard and the mouse while it is
// open and closes on a click outside it. A click on the toggle widget (the editor's drop-down
// button) only closes it, so that the button does not open it again at once.
class DropDownPopup : public QFrame {
    Q_OBJECT

public:
    explicit DropDownPopup(QWidget* parent = nullptr);

    void setToggleWidget(QWidget* widget) { m_toggle = widget; }

signals:
    // Hidden: by the grid, by a click outside, or because the window lost the focus.
    void closed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QWidget> m_toggle;
};
