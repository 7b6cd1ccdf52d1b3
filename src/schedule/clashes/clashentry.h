#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// One entry of the university's schedule as the clash rules see it: a group's control of one
// discipline, read from the result of GetRatingTable.
struct ClashEntry {
    QString key;    // the schedule row's key (id_schedule) as text; empty when the result has none
    QString period; // year and semester keys, "year/semester"
    QString groupKey;
    QString group;
    QString discipline;
    QString examiner;
    QString room;
    QString time; // as typed
    QDate date;   // the date part of Date_1; invalid when there is none
};
