#pragma once

#include "ttitlenode.h"

#include <QList>
#include <QString>

class TGridColumn;
class TextMeasure;

// The multi-level titles: a tree of title nodes under one root, built from the columns' captions
// on every layout pass. A caption is a sequence of words separated by "|" (a run of bars is one
// separator; bars at the start or end separate nothing); neighbouring columns whose captions
// start with the same word share one merged cell with that word above their remaining words.
class TitleTree {
public:
    // The first word of a caption; the caption itself when it holds no "|".
    static QString upperPart(const QString& caption);
    // The index at which the caption's second word starts; -1 when it has no second word.
    static int secondWordStart(const QString& caption);

    // One leaf per column in column order (a hidden column's leaf is -1 wide with column lines on,
    // 0 without), then, when multiLevel, the merged cells. lineWidth: the width of a column line.
    void build(const QList<TGridColumn*>& columns, bool multiLevel, int lineWidth);
    // Sets every node's height from its wrapped text (in its width less 4 pixels) plus marginV, so
    // that every leaf reaches down to the bottom of the title row. Returns the tallest subtree
    // under the root.
    int computeHeights(const TextMeasure& measure, int marginV);

    const TTitleNode& root() const { return m_root; }
    QList<const TTitleNode*> leaves() const;
    // The height that the node's children share: they all reach down to the same bottom.
    static int childrenHeight(const TTitleNode& node);

private:
    int layOut(TTitleNode& node, const TextMeasure& measure, int marginV);
    static void collectLeaves(const TTitleNode& node, QList<const TTitleNode*>& leaves);

    TTitleNode m_root;
};
