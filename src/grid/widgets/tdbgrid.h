#pragma once

#include "grid/celldecoration.h"
#include "grid/gridmodel.h"
#include "grid/textmeasure.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QImage>

class DataSource;
class QPainter;

// The data grid: two-level titles over fitted columns, an indicator column, the records of a
// dataset one per row. Only the rows in view are read and painted. There is never a horizontal
// scroll bar; the vertical one moves the current record. The widget's font is the data cells'
// font (Font); the titles have their own (TitleFont).
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

protected:
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

    GridModel m_model;
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
};
