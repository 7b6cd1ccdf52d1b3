#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class SelectorListPopup;
class LookupSelector;

// The widget of a lookup selector: a closed drop-down box showing the selector's shown text, with
// its drop-down list. Picks go to the selector, which runs its click handler.
class LookupComboBox : public QWidget {
    Q_OBJECT
public:
    LookupComboBox(LookupSelector& selector, QWidget* parent = nullptr);

    LookupSelector& selector() const { return m_selector; }
    SelectorListPopup* popup() const { return m_popup; }
    // The caption beside the selector: its text names the selector for a screen reader. Nothing
    // else links the two (the caption has no shortcut and does not pass the focus on).
    void setLabel(QLabel* label);
    QLabel* label() const;
    bool isDroppedDown() const;

    // Opens the list when the selector can drop down; closes it without a pick.
    void dropDown();
    void closeUp();
    // From the open list: the row picked (a mouse release over it), or the highlighted row (Enter,
    // Alt+Up, Alt+Down), the current key again when none is highlighted.
    void pickFromList(int row);

    // Milliseconds of a monotonic clock, for the typing search.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    qint64 now() const { return m_clock(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void followSelector();

    LookupSelector& m_selector;
    SelectorListPopup* m_popup;
    QPointer<QLabel> m_label;
    std::function<qint64()> m_clock;
};
