#pragma once

#include "grid/widgets/tdbgrid.h"
#include "userinput.h"

#include <gtest/gtest.h>

// Makes a cell of the grid current with the keys, as a user would, through the window that holds
// the grid: Ctrl+Home, Down to the record, Home and Right to the column.
inline void GoWithKeys(QWindow* window, const TDBGrid& grid, int record, int column) {
    Press(window, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < record; ++i)
        Press(window, Qt::Key_Down);
    Press(window, Qt::Key_Home);
    for (int i = 0; i < column; ++i)
        Press(window, Qt::Key_Right);
    ASSERT_EQ(grid.model().currentRecord(), record);
    ASSERT_EQ(grid.model().currentColumn(), column);
}
