#include "context/windowplacement.h"

#include <gtest/gtest.h>

TEST(WindowPlacementTest, CentredByTheOuterSize) {
    const struct {
        const char* name;
        QRect area;
        QSize outer;
        QPoint topLeft;
    } cases[] = {
        {"sign-in dialog on a 1920 x 1040 work area", {0, 0, 1920, 1040}, {497, 273}, {711, 383}},
        {"main window on a 1920 x 1040 work area", {0, 0, 1920, 1040}, {886, 405}, {517, 317}},
        {"odd spare room rounds toward zero", {0, 0, 800, 600}, {497, 273}, {151, 163}},
        {"area that does not start at the origin", {-1280, 24, 1280, 1000}, {886, 405}, {-1083, 321}},
        {"two monitors side by side", {0, 0, 3200, 1080}, {886, 405}, {1157, 337}},
        {"exactly as large as the area", {10, 20, 886, 405}, {886, 405}, {10, 20}},
        {"wider than the area", {0, 0, 800, 600}, {886, 405}, {0, 97}},
        {"taller than the area", {100, 50, 1024, 300}, {886, 405}, {169, 50}},
    };
    for (const auto& c : cases) {
        const QPoint topLeft = CentredWindowPosition(c.area, c.outer);
        EXPECT_EQ(topLeft.x(), c.topLeft.x()) << c.name;
        EXPECT_EQ(topLeft.y(), c.topLeft.y()) << c.name;
    }
}

TEST(WindowPlacementTest, OuterSizeIsTheClientSizeAndTheFrame) {
    const QSize designed(886, 405);
    EXPECT_EQ(WindowOuterSize({870, 367}, QMargins(8, 30, 8, 8), designed), QSize(886, 405));
    EXPECT_EQ(WindowOuterSize({870, 367}, QMargins(1, 37, 1, 1), designed), QSize(872, 405));
    EXPECT_EQ(WindowOuterSize({1000, 500}, QMargins(2, 2, 2, 2), designed), QSize(1004, 504));
    // No frame known yet: the designed outer size.
    EXPECT_EQ(WindowOuterSize({870, 367}, QMargins(), designed), QSize(886, 405));
}

// A panel or task bar takes part of the desktop from windows, but the main window is centred on the
// whole desktop all the same.
TEST(WindowPlacementTest, MainWindowIsCentredOnTheWholeDesktopNotItsWorkArea) {
    const struct {
        const char* name;
        QRect whole;
        QRect workArea;
        QPoint topLeft;
    } cases[] = {
        {"a 68-pixel panel at the bottom", {0, 0, 1920, 1080}, {0, 0, 1920, 1012}, {517, 337}},
        {"a 68-pixel panel at the top", {0, 0, 1920, 1080}, {0, 68, 1920, 1012}, {517, 337}},
        {"a task bar at the left", {0, 0, 1280, 1024}, {60, 0, 1220, 1024}, {197, 309}},
        {"two monitors, a panel on the first", {0, 0, 3200, 1080}, {0, 0, 3200, 1040}, {1157, 337}},
        {"no panel", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {197, 309}},
    };
    for (const auto& c : cases) {
        const QPoint topLeft = MainWindowPosition({c.whole, c.workArea}, QSize(886, 405));
        EXPECT_EQ(topLeft.x(), c.topLeft.x()) << c.name;
        EXPECT_EQ(topLeft.y(), c.topLeft.y()) << c.name;
    }
}
