#pragma once

#include <QString>

class GridModel;
class TDBGrid;

// What a screen reader learns of the grid: a table whose current cell carries its column's title
// as name and its text as value, and whose open drop-down (the month calendar or the list of a
// lookup column) is its child. The cell editor is named after the current cell's column.
void AttachGridAccessibility(TDBGrid& grid);

// A column's title as it is read out: the levels of a multi-level title joined by ": ".
QString AccessibleColumnTitle(const GridModel& model, int column);
