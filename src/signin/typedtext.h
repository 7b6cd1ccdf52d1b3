#pragma once

#include <QString>
#include <Qt>

// The text that a key press types into a single-line edit, decided from the key, the modifiers and
// the text that the window system sends with it: CR for Enter, BS for Backspace, and for other keys
// what the edit itself would insert. Keys that type nothing give an empty text: the arrows, Home and
// End, Delete (whose event carries U+007F on X11 and Windows alike), the Ctrl and Ctrl+Shift
// shortcuts (the clipboard keys among them, whatever their event carries) and every other key whose
// text is a control character.
QString TypedText(int key, Qt::KeyboardModifiers modifiers, const QString& eventText);

// True when the new-password edits take what a key typed: nothing at all, backspace, or only the
// digits, the Latin letters and "_".
bool NewPasswordTakes(const QString& typed);
