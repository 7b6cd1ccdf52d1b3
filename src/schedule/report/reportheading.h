#pragma once

#include <QString>

// What the selectors show above a printed or exported schedule: the shown texts of the chosen
// academic year, semester, faculty and group.
struct ReportHeading {
    QString year;
    QString semester;
    QString faculty;
    QString group;
};
