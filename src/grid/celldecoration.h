#pragma once

#include <QColor>
#include <QString>

// What a grid's owner may add to a data cell beyond its text: a tint under the text and a tooltip.
struct CellMark {
    QColor tint;     // invalid: the cell keeps its own background
    QColor frame;    // drawn inside the cell when a highlight covers the tint
    QString toolTip; // plain text, shown as it is; "\n" breaks its lines

    bool isEmpty() const { return !tint.isValid() && toolTip.isEmpty(); }
};

// Asked by the grid for each data cell it paints and for the cell under a tooltip request.
class CellDecoration {
public:
    virtual ~CellDecoration() = default;
    // The mark of a record (in the dataset's current order) in the column showing this field.
    virtual CellMark cellMark(int record, const QString& fieldName) const = 0;
};

// The background of a marked cell under the row highlight: half the tint, half the highlight, so
// the mark and the highlight both stay visible.
inline QColor TintUnderHighlight(const QColor& tint, const QColor& highlight) {
    return QColor((tint.red() + highlight.red()) / 2, (tint.green() + highlight.green()) / 2,
                  (tint.blue() + highlight.blue()) / 2);
}
