#pragma once

#include <QColor>

// The background of the highlighted cells of the current row other than the current cell: per
// channel of the cell colour a and the button-shadow colour g, c = a + (g - a) × 0.5, then
// c = c + (225 - c) × 0.6, rounded. On a palette display (256 colours or fewer) the button face.
QColor HighlightColor(const QColor& cell, const QColor& buttonShadow, const QColor& buttonFace,
                      bool paletteDisplay);
