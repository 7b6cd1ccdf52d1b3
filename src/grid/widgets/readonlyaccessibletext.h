#pragma once

#include <QAccessibleTextInterface>
#include <QRect>
#include <QString>
#include <algorithm>

// The text interface of a control that shows one text and cannot be typed into (a selector's shown
// text, a grid cell's): the whole text readable, no selection, the caret at its start.
class ReadOnlyAccessibleText : public QAccessibleTextInterface {
public:
    // The text shown now.
    virtual QString shownText() const = 0;

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        const QString whole = shownText();
        if (startOffset < 0 || startOffset > whole.size())
            return {};
        if (endOffset < 0 || endOffset > whole.size())
            endOffset = static_cast<int>(whole.size());
        return whole.mid(startOffset, std::max(endOffset - startOffset, 0));
    }
    int characterCount() const override { return static_cast<int>(shownText().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
    }
};
