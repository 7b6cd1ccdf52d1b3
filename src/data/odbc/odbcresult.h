#pragma once

#include "odbccell.h"

#include <cstdint>
#include <string>
#include <vector>

struct OdbcColumn {
    std::u16string name;
    OdbcType type = OdbcType::WideText;
    int size = 0; // characters for text types; 0 when unknown or unbounded
};

// The first result set of a statement, read completely (forward only) into the client's copy.
struct OdbcResult {
    bool hasResultSet = false;
    std::vector<OdbcColumn> columns;
    std::vector<OdbcCell> cells; // row-major: columns.size() cells per row
    // Rows changed by the statement's last data change before its first result set; -1 when the
    // server does not count them (NOCOUNT on).
    std::int64_t rowsAffected = -1;

    std::size_t rowCount() const { return columns.empty() ? 0 : cells.size() / columns.size(); }
    const OdbcCell& cell(std::size_t row, std::size_t column) const {
        return cells[row * columns.size() + column];
    }
};
