#pragma once

#include <algorithm>

// A step of the highlight in an open drop-down list.
enum class ListMove { Up, Down, PageUp, PageDown, Home, End };

// The row a list of count rows highlights after the move, a page being page rows: from no highlight
// (-1) every step but End lands on the first row; the result stays within the list. count > 0.
inline int MovedListRow(int current, int count, int page, ListMove move) {
    int row = current;
    switch (move) {
    case ListMove::Home:
        row = 0;
        break;
    case ListMove::End:
        row = count - 1;
        break;
    case ListMove::Up:
        row = current < 0 ? 0 : current - 1;
        break;
    case ListMove::Down:
        row = current < 0 ? 0 : current + 1;
        break;
    case ListMove::PageUp:
        row = current < 0 ? 0 : current - page;
        break;
    case ListMove::PageDown:
        row = current < 0 ? 0 : current + page;
        break;
    }
    return std::clamp(row, 0, count - 1);
}
