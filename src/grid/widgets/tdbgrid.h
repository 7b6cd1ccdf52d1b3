#pragma once

#include "grid/celldecoration.h"
#include "grid/celleditor.h"
#include "grid/gridmodel.h"
#include "grid/textmeasure.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointer>

class DataSource;
class InplaceEdit;
class LookupListPopup;
class MonthCalendarPopup;
class QPainter;

// The data grid: two-level titles over fitted columns, an indicator column, the records of a
// dataset one per row. Only the rows in view are read and painted. There is never a horizontal
// scroll bar; the vertical one moves the current record. The widget's font is the data cells'
// font (Font); the titles have their own (TitleFont).
//
// Editing: a cell editor always lies over the current cell while the dataset is open; its keys,
// its text and its drop-downs (a month calendar for dates, a list for lookup columns) are run by
// the grid's CellEditor. The grid writes the open cell before every move and post, and when the
// focus leaves it; a failure there puts the focus back and shows the error.
class TDBGrid : public QAbstractScrollArea, private TextMeasure {
    Q_OBJECT

public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    void setDataSource(DataSource* source) { m_model.setDataSource(source); }
    DataSource* dataSource() const { return m_model.dataSource(); }
    // Columns, the current cell, the layout and what the cells show.
    GridModel& model() { return m_model; }
    const GridModel& model() const { return m_model; }
    // The state of the cell editor, its keys and drop-downs.
    CellEditor& cellEditor() { return m_editor; }
    const CellEditor& cellEditor() const { return m_editor; }
    // The editor's widget (hidden while no cell is current) and the open drop-downs, if any.
    InplaceEdit* inplaceEditor() const { return m_edit; }
    MonthCalendarPopup* calendarPopup() const;
    LookupListPopup* listPopup() const;

    // Writes the open cell into its field if it was typed into, putting the row into edit; raises
    // the field's conversion error ("'%s' is not a valid date and time") and keeps the text.
    // Posting the dataset does this by itself first.
    void writeCell() { m_editor.writeCell(); }
    // A cell typed into (or a type picked) and not yet written into its field.
    bool cellModified() const { return m_editor.modified(); }

    QFont titleFont() const { return m_titleFont; }
    void setTitleFont(const QFont& font);
    // Color: the background of the data cells.
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    // FixedColor: the background of the title row and the indicator column.
    QColor fixedColor() const { return m_fixedColor; }
    void setFixedColor(const QColor& color);
    // The background of the current row's highlighted cells other than the current cell.
    QColor rowHighlightColor() const;
    // The lines between data cells.
    QColor dataLineColor() const;

    // Tints and tooltips of data cells; the grid does not own it. Null: none.
    void setCellDecoration(const CellDecoration* decoration);
    const CellDecoration* cellDecoration() const { return m_decoration; }

    // A data cell in the client area (the viewport), by row shown and column.
    QRect cellRect(int row, int column) const;

    // The entries of the grid's own menu, which the cell editor's menu offers too, after its own:
    // the current cell is covered by the editor, whose menu a right click there opens.
    void setGridMenuActions(const QList<QAction*>& actions) { m_gridMenuActions = actions; }

signals:
    // The cell editor's menu is about to show the grid's entries: the owner enables them.
    void gridMenuActionsShowing();
    // Ctrl+F: the owner opens the find dialog, modal, with this text to search for (the text
    // selected in the cell editor).
    void findRequested(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // The grid scrolls by records, not by pixels.
    void scrollContentsBy(int, int) override {}

private:
    int titleTextHeight(const QString& text, int width) const override;
    int dataTextHeight(const QString& text) const override;

    void modelChanged();
    void updateArea();
    void syncScrollBar();
    void scrollBarAction(int action, int position);
    void paintTitles(QPainter& painter);
    void paintRows(QPainter& painter, const QRect& dirty);
    void paintFixedCell(QPainter& painter, const QRect& rect) const;

    bool handleKey(QKeyEvent* event);
    bool isTyped(const QKeyEvent* event) const;
    void placeEditor();
    void showEditorText();
    void editorSelectionMoved();
    void focusLeaving(const QFocusEvent* event);
    // Swallows the mouse click of the widget that took the focus (nullptr: none any more).
    void refuseFocus(QWidget* taker);
    void showContextMenu(const QPoint& globalPos);
    void syncDropDown();
    void openCalendar();
    void openList();
    QRect editorScreenRect() const;
    QRect workArea() const;

    GridModel m_model;
    CellEditor m_editor{m_model};
    InplaceEdit* m_edit = nullptr;
    QPointer<MonthCalendarPopup> m_calendar;
    QPointer<LookupListPopup> m_list;
    // Set while the grid itself sets the editor's text, and while it passes a key on to the editor.
    bool m_showing = false;
    bool m_forwarding = false;
    // The widget whose taking of the focus was refused: its mouse click is swallowed.
    QPointer<QWidget> m_refused;
    QFont m_titleFont;
    QColor m_color;
    QColor m_fixedColor;
    QImage m_glyphs[3];
    int m_sizingColumn = -1;
    int m_sizingStartX = 0;
    int m_sizingStartWidth = 0;
    int m_sizingX = 0;
    int m_wheelRest = 0;
    const CellDecoration* m_decoration = nullptr;
    QList<QAction*> m_gridMenuActions;
};
