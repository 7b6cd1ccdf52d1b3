#pragma once

#include "data/dataerror.h"

#include <QString>
#include <functional>

// The text of the data error the action raises, or "(no error)".
inline QString ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const DataError& error) {
        return error.text();
    }
    return "(no error)";
}
