#pragma once

#include <QLocale>

// The locale by which the program writes and reads dates, numbers and day and month names everywhere
// (the grid, the find dialog, the overview, the printouts, the workbooks): the user's own, unless
// the system gives none of its own (the "C" or POSIX locale of a machine where no locale was set),
// where the program, which speaks Russian, takes the Russian one.
QLocale ProgramLocale(const QLocale& system);

// Makes ProgramLocale(QLocale::system()) the default of every QLocale() in the program.
void InstallProgramLocale();
