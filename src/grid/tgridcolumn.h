#pragma once

#include <QString>

// One column of the grid: the field it shows (by FieldName), its title caption ("|" separates the
// levels of a multi-level title) and its widths. Widths are in pixels.
class TGridColumn {
public:
    TGridColumn(const QString& fieldName, const QString& caption, int width, bool readOnly = false);

    const QString& fieldName() const { return m_fieldName; }
    void setFieldName(const QString& fieldName) { m_fieldName = fieldName; }
    // Title.Caption, "|" included.
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }

    int width() const { return m_width; }
    // Bounded by MinWidth (a width below it becomes MinWidth) and, when above 0, by MaxWidth.
    void setWidth(int width);
    // 0: no bound. Setting a bound applies it to the current width.
    int minWidth() const { return m_minWidth; }
    void setMinWidth(int minWidth);
    int maxWidth() const { return m_maxWidth; }
    void setMaxWidth(int maxWidth);
    // The column's share in the fitting; only a dragged border changes it once the grid is set up.
    int baseWidth() const { return m_baseWidth; }
    void setBaseWidth(int baseWidth) { m_baseWidth = baseWidth; }
    // Whether the column takes part in fitting the widths to the grid's width.
    bool fitColWidth() const { return m_fitColWidth; }
    void setFitColWidth(bool fit) { m_fitColWidth = fit; }
    // Set by the fitting when the bounds changed the width it gave; the column then keeps its width.
    bool widthPinned() const { return m_widthPinned; }
    void setWidthPinned(bool pinned) { m_widthPinned = pinned; }
    // Whether Tab stops on the column; set by every layout pass.
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool tabStop) { m_tabStop = tabStop; }
    // The drop-down list of a lookup column: its height in rows, and its width (0: as wide as the
    // cell editor). Resizing the open list sets both.
    int dropDownRows() const { return m_dropDownRows; }
    void setDropDownRows(int rows) { m_dropDownRows = rows; }
    int dropDownWidth() const { return m_dropDownWidth; }
    void setDropDownWidth(int width) { m_dropDownWidth = width; }

private:
    QString m_fieldName;
    QString m_caption;
    bool m_readOnly;
    bool m_visible = true;
    int m_width = 0;
    int m_minWidth = 0;
    int m_maxWidth = 0;
    int m_baseWidth;
    bool m_fitColWidth = true;
    bool m_widthPinned = false;
    bool m_tabStop = false;
    int m_dropDownRows = 7;
    int m_dropDownWidth = 0;
};
