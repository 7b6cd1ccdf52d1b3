#pragma once

#include <QVariant>

// Orders two cell values for the client-side sort: Null first, numbers by value whatever their C++
// type, dates and times chronologically, text by the user's locale. Returns <0, 0 or >0.
int CompareValues(const QVariant& left, const QVariant& right);

// Equality as the lookup needs it: Null equals nothing, numbers compare by value (an engine may
// give 32-bit or 64-bit integers for the same column), other values as they are.
bool ValuesEqual(const QVariant& left, const QVariant& right);

// A text that two values not Null share exactly when ValuesEqual holds for them: numbers by value
// whatever their type, other values as text. For looking values up by key; not for truth values,
// whose equality with numbers and texts is no equivalence (true equals 1 and "true").
QString EqualityKey(const QVariant& value);

// Whether two cells hold the same stored value: both Null, or equal as ValuesEqual has it (dates
// and times as points in time).
bool SameValue(const QVariant& left, const QVariant& right);

// True for an invalid or null value.
inline bool IsNullValue(const QVariant& value) {
    return !value.isValid() || value.isNull();
}
