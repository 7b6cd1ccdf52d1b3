#pragma once

// What lies under a point of the grid's client area.
struct GridHit {
    enum Area { Nowhere, Title, Indicator, Cell };
    Area area = Nowhere;
    // The data row counted from the first row shown (-1 in the title row or beyond the rows).
    int row = -1;
    // The column (-1 in the indicator column or right of the last column).
    int column = -1;
};
