// Where a drop-down opens for a cell on the monitor's work area.
#include "grid/dropdownplacement.h"

#include <gtest/gtest.h>

namespace {

TEST(DropDownPlacementTest, BelowAboveOrOnTheSideWithMoreRoom) {
    // A work area of 1000 × 700 with a panel of 40 pixels on top.
    const QRect area(0, 40, 1000, 700);
    const struct {
        QRect cell;
        QSize size;
        QRect placed;
        const char* what;
    } cases[] = {
        {QRect(100, 100, 108, 17), QSize(108, 100), QRect(100, 117, 108, 100), "below"},
        {QRect(100, 700, 108, 17), QSize(108, 100), QRect(100, 600, 108, 100), "above: no room below"},
        {QRect(100, 640, 108, 17), QSize(108, 83), QRect(100, 657, 108, 83), "exactly the room below"},
        {QRect(100, 300, 108, 17), QSize(108, 500), QRect(100, 317, 108, 423), "more room below: cut"},
        {QRect(100, 500, 108, 17), QSize(108, 500), QRect(100, 40, 108, 460), "more room above: cut"},
        {QRect(950, 100, 40, 17), QSize(200, 100), QRect(800, 117, 200, 100), "moved left"},
        {QRect(50, 100, 40, 17), QSize(1200, 100), QRect(0, 117, 1000, 100), "narrowed"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceDropDown(c.cell, c.size, area), c.placed) << c.what;
}

} // namespace
