#pragma once

#include "schedule/clashes/clashentry.h"

#include <QDateTime>
#include <QString>

// One scheduled control of a faculty's session: a row of a group's GetRatingTable result with the
// group it belongs to and the name of its control type.
struct SessionEntry {
    ClashEntry clash;   // key, period, group, discipline, examiner, room, time and date
    QString department; // Kafedra
    QString form;       // FKontr, the form of control
    QString type;       // the name of id_typeControl_1 in TypeControl; empty when it has none
    QDateTime dateTime; // Date_1 as read; invalid for Null
    QString start;      // the time's start as ClashRules::StartKey gives it, for ordering
    int row = -1;       // the row's place in its group's result

    const QString& key() const { return clash.key; }
    const QString& group() const { return clash.group; }
    const QString& discipline() const { return clash.discipline; }
    bool dated() const { return clash.date.isValid(); }
};

// A group of the faculty, in the order the overview shows them.
struct SessionGroup {
    QString key;
    QString name;
};
