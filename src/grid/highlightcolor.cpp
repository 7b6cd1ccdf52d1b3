#include "highlightcolor.h"

#include <cmath>

namespace {

int Lightened(int cell, int shadow) {
    double channel = cell + (shadow - cell) * 0.5;
    channel += (225 - channel) * 0.6;
    return static_cast<int>(std::lround(channel));
}

} // namespace

QColor HighlightColor(const QColor& cell, const QColor& buttonShadow, const QColor& buttonFace,
                      bool paletteDisplay) {
    if (paletteDisplay)
        return buttonFace;
    return QColor(Lightened(cell.red(), buttonShadow.red()), Lightened(cell.green(), buttonShadow.green()),
                  Lightened(cell.blue(), buttonShadow.blue()));
}
