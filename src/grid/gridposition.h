#pragma once

// Where the grid stood: the record shown in the middle row of its window (for an even number of
// rows, the row just above the middle) and the current record's distance in rows from it.
struct GridPosition {
    int middleRecord = -1;
    int distance = 0;
};
