#pragma once

// The schedule's columns by their index in the grid, in the order AddScheduleColumns adds them.
enum Column { Discipline, Kafedra, Examiner, Form, Date, Time, Room, Type };
