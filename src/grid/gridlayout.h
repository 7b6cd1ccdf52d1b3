#pragma once

#include "gridhit.h"
#include "gridoptions.h"
#include "titlecell.h"
#include "titletree.h"

#include <QList>
#include <vector>

class TGridColumn;
class TextMeasure;

// The geometry of a layout pass: the data row height, the fitted column widths, the title tree
// with the title row height, whether the vertical scroll bar shows, and where every cell lies.
// Coordinates are those of the grid's client area; sizes are in pixels.
class GridLayout {
public:
    static constexpr int IndicatorColumnWidth = 11;
    static constexpr int GridLineWidth = 1;

    GridOptions options() const { return m_options; }
    void setOptions(GridOptions options) { m_options = options; }
    GridOptionsEx optionsEx() const { return m_optionsEx; }
    void setOptionsEx(GridOptionsEx options) { m_optionsEx = options; }
    bool fitColWidths() const { return m_fitColWidths; }
    void setFitColWidths(bool fit) { m_fitColWidths = fit; }
    bool multiTitle() const { return m_multiTitle; }
    void setMultiTitle(bool multiTitle) { m_multiTitle = multiTitle; }
    int minFitWidth() const { return m_minFitWidth; }
    void setMinFitWidth(int width) { m_minFitWidth = width; }
    int titleMarginV() const { return m_titleMarginV; }
    void setTitleMarginV(int margin) { m_titleMarginV = margin; }

    // The area inside the grid's border, the vertical scroll bar's place included.
    void setArea(int width, int height);
    int areaWidth() const { return m_areaWidth; }
    int areaHeight() const { return m_areaHeight; }
    // The width the vertical scroll bar takes from the client area when it shows.
    void setScrollBarExtent(int extent) { m_scrollBarExtent = extent; }

    // One layout pass over the columns for a dataset of recordCount records (0 when closed): data
    // row height, scroll bar, width fitting, title tree and title row height, cell positions. The
    // vertical scroll bar shows when not every record fits; should the title row that the fitted
    // widths give change that, the pass fits again for the other client width.
    void run(const QList<TGridColumn*>& columns, const TextMeasure& measure, int recordCount);

    // Height of every data row, its row line not included.
    int rowHeight() const { return m_rowHeight; }
    // From the top of one data row to the top of the next.
    int rowPitch() const { return m_rowHeight + rowLineWidth(); }
    // 0 without titles.
    int titleRowHeight() const { return m_titleRowHeight; }
    int dataTop() const;
    int rowTop(int row) const { return dataTop() + row * rowPitch(); }
    bool scrollBarShown() const { return m_scrollBarShown; }
    int clientWidth() const { return m_clientWidth; }
    int clientHeight() const { return m_areaHeight; }
    // Data rows shown whole, and shown at least in part.
    int fullRowCount() const;
    int shownRowCount() const;
    // 0 without the indicator column.
    int indicatorWidth() const { return m_options.testFlag(dgIndicator) ? IndicatorColumnWidth : 0; }
    int columnLineWidth() const { return m_options.testFlag(dgColLines) ? GridLineWidth : 0; }
    int rowLineWidth() const { return m_options.testFlag(dgRowLines) ? GridLineWidth : 0; }
    // Left edge of a column of the last pass; -1 for a hidden or unknown column.
    int columnLeft(int column) const;
    // Right edge (exclusive) of the last visible column, its line included.
    int columnsRight() const { return m_columnsRight; }

    const TitleTree& titleTree() const { return m_titles; }
    // Every title node but the root, parents before their children.
    QList<TitleCell> titleCells() const;

    GridHit hitTest(int x, int y) const;
    // The column whose right border lies within a few pixels of (x, y) in the title row; -1 when none.
    int sizingColumnAt(int x, int y) const;

private:
    bool needsScrollBar(int recordCount) const;
    void placeColumns();
    void addTitleCells(const TTitleNode& node, QList<TitleCell>& cells) const;

    GridOptions m_options = dgEditing | dgAlwaysShowEditor | dgTitles | dgIndicator | dgColumnResize |
                            dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    GridOptionsEx m_optionsEx =
        dgxFixed3D | dgxHighlightFocus | dgxClearSelection | dgxRowHighlight | dgxDialogFind;
    bool m_fitColWidths = true;
    bool m_multiTitle = true;
    int m_minFitWidth = 0;
    int m_titleMarginV = 10;
    int m_areaWidth = 0;
    int m_areaHeight = 0;
    int m_scrollBarExtent = 0;

    QList<TGridColumn*> m_columns;
    std::vector<int> m_lefts;
    int m_columnsRight = 0;
    int m_rowHeight = 0;
    int m_titleRowHeight = 0;
    int m_clientWidth = 0;
    bool m_scrollBarShown = false;
    TitleTree m_titles;
};
