#pragma once

#include <QtGlobal>

#include <optional>

// When a character was last typed into any of the selectors (one time stamp for all of them): a
// pause of more than SearchResetMs since then starts a new typing search. Times are milliseconds of
// a monotonic clock, given by the caller.
class TypingTimestamp {
public:
    static constexpr qint64 SearchResetMs = 2000;

    // True when nothing was typed yet, or more than SearchResetMs have passed since.
    bool expired(qint64 now) const { return !m_last || now - *m_last > SearchResetMs; }
    void touch(qint64 now) { m_last = now; }

private:
    std::optional<qint64> m_last;
};
