#pragma once

#include "dropdownpopup.h"

#include <QStringList>

class QListWidget;
class QSizeGrip;

// The list of a lookup column: one row per text, no title row, a size grip at its bottom right.
class LookupListPopup : public DropDownPopup {
    Q_OBJECT

public:
    explicit LookupListPopup(QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QSizeGrip* sizeGrip() const { return m_grip; }
    void setRows(const QStringList& texts);
    // Selects a row (-1: none) and scrolls it into view.
    void setCurrentRow(int row);
    int rowHeight() const;
    // The popup's size for a number of rows shown and a width.
    QSize sizeFor(int rows, int width) const;
    // The number of whole rows the list shows at its present size.
    int rowsShown() const;
    // Places the popup; only other changes of its size count as the user's.
    void place(const QRect& geometry);

signals:
    void rowClicked(int row);
    // The size changed other than by place(): the user dragged the size grip.
    void resizedByUser();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QListWidget* m_list;
    QSizeGrip* m_grip;
    bool m_placing = false;
};
