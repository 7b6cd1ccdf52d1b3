#pragma once

#include "schedule/lookupselector.h"

#include <QChar>
#include <QKeyEvent>

// The character a key press types into a selector's typing search: one character of the search's
// set, typed without Ctrl, Alt or Meta; a null character otherwise.
inline QChar TypedSearchCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    const bool command = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (command || text.size() != 1 || !LookupSelector::isSearchCharacter(text.front()))
        return QChar();
    return text.front();
}
