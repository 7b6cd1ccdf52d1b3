#pragma once

#include "schedule/dropdownlist.h"

#include <QFrame>

class LookupComboBox;
class QScrollBar;

// The drop-down list of a lookup selector: a popup as wide as the selector showing at most seven
// lines of the selector's rows, with a scroll bar beyond seven. Until the pick only its highlight
// moves; a pick or a close goes back to the selector.
class SelectorListPopup : public QFrame {
    Q_OBJECT
public:
    explicit SelectorListPopup(LookupComboBox& owner);

    LookupComboBox& owner() const { return m_owner; }
    const DropDownList& list() const { return m_list; }
    // Opens below the owner, or above it when below would reach past the bottom of the screen.
    void showFor(int highlighted);
    int lineHeight() const;
    // The rectangle of a line, in the popup's coordinates.
    QRect lineRect(int line) const;
    // The row under a point of the popup, or -1.
    int rowAt(const QPoint& position) const;
    QScrollBar* scrollBar() const { return m_scrollBar; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void syncScrollBar();
    QRect rowsArea() const;

    LookupComboBox& m_owner;
    DropDownList m_list;
    QScrollBar* m_scrollBar;
};
