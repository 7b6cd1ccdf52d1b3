#pragma once

#include "schedulereport.h"

#include <QByteArray>
#include <QDate>
#include <QString>

class SessionOverview;

// A faculty's session as it is printed and exported, without widgets: the list (dated entries in
// order of time, then the undated ones) and the day table, each as a report of its own with the
// heading of year, semester and faculty and, when the overview is filtered, the filter.
class SessionReport {
public:
    // "Сводный график проведения контроля".
    static QString Title();
    static ScheduleReport List(const SessionOverview& overview);
    static ScheduleReport Days(const SessionOverview& overview);
    // The workbook with both: the sheets "Список" and "По дням".
    static QByteArray Xlsx(const SessionOverview& overview);
    // The name the save dialog suggests: the faculty and the semester, with the extension.
    static QString SuggestedFileName(const SessionOverview& overview, const QString& extension);
};
