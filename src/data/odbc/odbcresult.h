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

// What a statement did besides its rows: whether it gave a result set, and the rows changed by its
// last data change before that result set (-1 when the server does not count them: NOCOUNT on).
struct OdbcOutcome {
    bool hasResultSet = false;
    std::int64_t rowsAffected = -1;
};

// Takes a statement's first result set as it is read: its columns once, then each row in turn, so
// that the rows can be turned into the caller's own form without a copy of the whole result.
class OdbcRowSink {
public:
    virtual ~OdbcRowSink() = default;
    virtual void columns(const std::vector<OdbcColumn>& columns) = 0;
    // One cell per column; the cells may be moved from.
    virtual void row(std::vector<OdbcCell>& cells) = 0;
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
