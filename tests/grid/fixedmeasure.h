#pragma once

#include "grid/textmeasure.h"

#include <QStringList>

// Text measurement with fixed metrics: every character is CharWidth pixels wide, a line is
// LineHeight pixels high, and words wrap at blanks (a word wider than the width keeps a line).
class FixedMeasure : public TextMeasure {
public:
    static constexpr int CharWidth = 6;
    static constexpr int LineHeight = 13;

    static int lines(const QString& text, int width) {
        int count = 1;
        int used = 0;
        for (const QString& word : text.split(u' ')) {
            const int wordWidth = static_cast<int>(word.size()) * CharWidth;
            if (used > 0 && used + CharWidth + wordWidth > width) {
                ++count;
                used = wordWidth;
            } else {
                used += (used > 0 ? CharWidth : 0) + wordWidth;
            }
        }
        return count;
    }
    int titleTextHeight(const QString& text, int width) const override {
        return lines(text, width) * LineHeight;
    }
    int dataTextHeight(const QString&) const override { return LineHeight; }
};
