#pragma once

#include <QRect>

class TTitleNode;

// Where one title node is drawn, in the grid's client coordinates.
struct TitleCell {
    const TTitleNode* node = nullptr;
    // Filled with the fixed colour and framed as a fixed cell.
    QRect rect;
    // The caption is word-wrapped and centred horizontally and vertically in it.
    QRect textRect;
    // A merged cell: a line runs below it across its span, on the row just under rect.
    bool merged = false;
};
