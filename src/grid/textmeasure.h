#pragma once

#include <QString>

// Text measurement that the layout needs from the screen: the widget answers with its fonts'
// metrics, tests with whatever metrics they need.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Height in pixels of `text` word-wrapped into `width` pixels (at least 1) in the title font.
    virtual int titleTextHeight(const QString& text, int width) const = 0;
    // Height in pixels of `text` on one line in the font of the data cells.
    virtual int dataTextHeight(const QString& text) const = 0;
};
