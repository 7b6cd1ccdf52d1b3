#pragma once

#include <Qt>

// Short names for the modifiers in tables of keys.
const Qt::KeyboardModifiers None = Qt::NoModifier;
const Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
const Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers Alt = Qt::AltModifier;
