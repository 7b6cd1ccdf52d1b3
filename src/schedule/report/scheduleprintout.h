#pragma once

#include "reportheading.h"
#include "schedulereport.h"

#include <QDate>
#include <QString>

#include <optional>

class GridModel;
class ScheduleEditor;
class TDM_MB;
class UserShell;

// Printing and exporting the chosen group's schedule, without widgets: the report is taken from
// the grid after the row in edit is posted, and written as PDF or Excel the safe way. Errors (a
// failed post with the database's text, a file that cannot be written) go to the user shell's
// default error box and stop the job there.
class SchedulePrintout {
public:
    SchedulePrintout(TDM_MB& data, ScheduleEditor& editor, const GridModel& grid, UserShell& shell);

    // Whether a group's schedule is open, so there is something to print.
    bool available() const;
    // The selectors' shown texts.
    ReportHeading heading() const;
    // The name the save dialog suggests, from the group and the semester.
    QString suggestedFileName(const QString& extension) const;

    // Posts the row in edit, then reads the schedule as the grid shows it. A failed post shows its
    // error, keeps the row in edit with the user's values and gives nothing.
    std::optional<ScheduleReport> take();
    // take(), then the file; true when it was written.
    bool savePdf(const QString& path, const QDate& printed);
    bool saveExcel(const QString& path);

private:
    template <typename Write> bool save(Write write);

    TDM_MB& m_data;
    ScheduleEditor& m_editor;
    const GridModel& m_grid;
    UserShell& m_shell;
};
