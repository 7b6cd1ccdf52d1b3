#pragma once

#include "data/dataset.h"
#include "data/datasource.h"
#include "gridlayout.h"
#include "gridposition.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Field;
class TGridColumn;
class TextMeasure;

// The grid without its window: the columns, the link to the dataset through a data source, the
// current cell, the window of records shown, the layout pass and what each cell shows. Records
// are read only when asked for, so the cost of a screen does not depend on the dataset's size.
// Records are counted from 0 in the dataset's current order; rows from the first row shown.
class GridModel : public QObject {
    Q_OBJECT

public:
    enum class Glyph { None, Arrow, Edit, Insert };
    enum class Highlight { None, Row, Current };

    explicit GridModel(QObject* parent = nullptr);
    ~GridModel() override;

    // Columns in display order. A new column's design width becomes its base width.
    TGridColumn* addColumn(const QString& fieldName, const QString& caption, int width,
                           bool readOnly = false);
    void clearColumns();
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    TGridColumn* column(int index) const;
    QList<TGridColumn*> columns() const;
    // The field a column shows, found by its FieldName in the linked dataset; nullptr when none.
    Field* columnField(int column) const;

    // Links the grid to the data source's dataset (as it is now); nullptr unlinks.
    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    DataSet* dataSet() const { return m_dataSet; }
    bool dataActive() const;
    // 0 while the dataset is closed.
    int recordCount() const;

    const GridLayout& layout() const { return m_layout; }
    // The grid's settings; a change runs a layout pass.
    void setOptions(GridOptions options);
    void setOptionsEx(GridOptionsEx options);
    void setFitColWidths(bool fit);
    void setMultiTitle(bool multiTitle);
    void setMinFitWidth(int width);
    void setTitleMarginV(int margin);
    // The window's text measurement; layout passes run only while there is one.
    void setTextMeasure(const TextMeasure* measure);
    // The area inside the grid's border and the vertical scroll bar's width; a change runs a pass.
    void setArea(int width, int height, int scrollBarExtent);
    // Runs a layout pass, unless one is running or the update lock is held; a request made under
    // the lock runs when the lock is released. Also to be called after changing a column.
    void requestLayout();
    void beginUpdate() { ++m_updateLock; }
    void endUpdate();
    int layoutPassCount() const { return m_layoutPasses; }

    // -1 while the dataset is closed or empty.
    int currentRecord() const;
    int topRecord() const { return m_topRecord; }
    // The record shown in a row; -1 beyond the records.
    int recordAtRow(int row) const;
    // The row of a record; -1 when it is not shown.
    int rowOfRecord(int record) const;
    int currentColumn() const { return m_currentColumn; }
    // Makes a column current; the handler set below runs first, and an exception from it keeps the
    // column.
    void setCurrentColumn(int column);
    // Runs before the current column changes: the cell editor writes its cell there.
    void setBeforeColumnChange(std::function<void()> handler) { m_beforeColumnChange = std::move(handler); }

    // Moves the current record by `distance` records, stopping at either end (which sets the
    // dataset's begin or end mark). A modified record is posted first, also when it is already at
    // that end; an error from the post propagates and nothing moves.
    void moveBy(int distance);
    // Makes a record current; one that was not shown is shown in the middle row. Posts as moveBy.
    void moveToRecord(int record);
    // The position to come back to after moves elsewhere (an invalid one while closed or empty).
    GridPosition position() const;
    // Goes to the remembered middle record, shows it in the middle row and moves by the remembered
    // distance: the same record is current and the same rows are shown. Posts as moveBy.
    void restorePosition(const GridPosition& position);
    // The user dragged the right border of a column to `width`; the widths are fitted again.
    void resizeColumn(int column, int width);

    // The display text of a column's field in a record: Null gives an empty text, dates the
    // user's short date with the long time when it is not midnight, a lookup field the value it
    // looks up.
    QString cellText(int record, int column) const;
    // The display text of a column in the current record.
    QString displayText(int column) const;
    // The display text of a field in a record, as a column that shows the field draws it.
    static QString fieldDisplayText(const Field& field, int record);
    // The glyph of the indicator column in a record's row: only the current record has one.
    Glyph indicatorGlyph(int record) const;
    // How a cell is highlighted: the current record's cells other than the current cell always
    // (row highlight), the current cell only while the grid has the keyboard focus.
    Highlight cellHighlight(int record, int column, bool gridFocused) const;

signals:
    // Anything shown may have changed: layout, records, the current cell or the dataset's state.
    void changed();

private:
    void runLayout();
    void updateTabStops();
    void dataSetChanged();
    void scrolled();
    enum class Centre { IfHidden, Always };
    void jumpTo(int record, Centre centre);
    void showCurrent(const Centre* centre);
    bool fieldReadOnly(const Field& field) const;

    std::vector<std::unique_ptr<TGridColumn>> m_columns;
    QPointer<DataSource> m_source;
    QPointer<DataSet> m_dataSet;
    bool m_wasActive = false;
    const TextMeasure* m_measure = nullptr;
    GridLayout m_layout;
    bool m_layoutRunning = false;
    bool m_layoutPending = false;
    int m_updateLock = 0;
    int m_layoutPasses = 0;
    int m_topRecord = 0;
    int m_currentColumn = 0;
    // How the next move of the dataset's current record is shown, when the grid itself moves it.
    const Centre* m_nextMoveCentre = nullptr;
    std::function<void()> m_beforeColumnChange;
};
