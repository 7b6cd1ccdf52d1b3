#pragma once

#include <QVariant>

// Orders two cell values for the client-side sort: Null first, numbers by value whatever their C++
// type, dates and times chronologically, text by the user's locale. Returns <0, 0 or >0.
int CompareValues(const QVariant& left, const QVariant& right);

// Equality as the lookup needs it: Null equals nothing, numbers compare by value (an engine may
// give 32-bit or 64-bit integers for the same column), other values as they are.
bool ValuesEqual(const QVariant& left, const QVariant& right);

// Whether two cells hold the same stored value: both Null, or equal as ValuesEqual has it (dates
// and times as points in time).
bool SameValue(const QVariant& left, const QVariant& right);

// True for an invalid or null value.
inline bool IsNullValue(const QVariant& value) {
    return !value.isValid() || value.isNull();
}
