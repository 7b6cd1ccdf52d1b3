#pragma once

class GridModel;

// Sets up the schedule's eight columns in display order: the four read-only columns of the
// discipline, department, examiner and form of control, then the date, time, room and type of
// control of the test under one two-level caption. Existing columns are replaced.
void AddScheduleColumns(GridModel& grid);
