// The lightened background of the current row's cells.
#include "grid/highlightcolor.h"

#include <gtest/gtest.h>

namespace {

TEST(HighlightColor, HalfwayToTheShadowThenSixTenthsToward225) {
    const QColor face(240, 240, 240);
    const struct {
        QColor cell;
        QColor shadow;
        QColor lightened;
    } cases[] = {
        // 255 → 191.5 → 211.6
        {Qt::white, QColor(128, 128, 128), QColor(212, 212, 212)},
        // 255 → 207.5 → 218
        {Qt::white, QColor(160, 160, 160), QColor(218, 218, 218)},
        // silver: 192 → 160 → 199
        {QColor(192, 192, 192), QColor(128, 128, 128), QColor(199, 199, 199)},
        // each channel by itself: 0 → 64 → 160.6; 100 → 110 → 179; 255 → 127.5 → 186
        {QColor(0, 100, 255), QColor(128, 120, 0), QColor(161, 179, 186)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HighlightColor(c.cell, c.shadow, face, false), c.lightened) << c.cell.name().toStdString();
}

TEST(HighlightColor, PaletteDisplayUsesTheButtonFace) {
    EXPECT_EQ(HighlightColor(Qt::white, QColor(128, 128, 128), QColor(192, 192, 192), true),
              QColor(192, 192, 192));
}

} // namespace
