#include "titletree.h"

#include "textmeasure.h"
#include "tgridcolumn.h"

#include <algorithm>

namespace {

// Start and end (exclusive) of the word that begins at or after `from`; start -1 when none.
std::pair<int, int> WordAt(const QString& caption, int from) {
    int start = from;
    while (start < caption.size() && caption[start] == u'|')
        ++start;
    if (start >= caption.size())
        return {-1, -1};
    int end = start;
    while (end < caption.size() && caption[end] != u'|')
        ++end;
    return {start, end};
}

} // namespace

QString TitleTree::upperPart(const QString& caption) {
    const auto [start, end] = WordAt(caption, 0);
    return start < 0 ? QString() : caption.mid(start, end - start);
}

int TitleTree::secondWordStart(const QString& caption) {
    const auto first = WordAt(caption, 0);
    if (first.first < 0)
        return -1;
    return WordAt(caption, first.second).first;
}

void TitleTree::build(const QList<TGridColumn*>& columns, bool multiLevel, int lineWidth) {
    m_root.clear();
    for (int i = 0; i < columns.size(); ++i) {
        TGridColumn* column = columns[i];
        const int width = column->visible() ? column->width() : (lineWidth > 0 ? -1 : 0);
        m_root.appendChild(std::make_unique<TTitleNode>(column->caption(), width, column, i));
    }
    if (!multiLevel)
        return;
    QList<TTitleNode*> leaves;
    for (int i = 0; i < m_root.childCount(); ++i)
        leaves.append(m_root.child(i));
    const int count = static_cast<int>(leaves.size());
    bool changed = true;
    while (changed) {
        changed = false;
        for (int first = 0; first < count;) {
            const QString& text = leaves[first]->text();
            if (secondWordStart(text) < 0) {
                ++first;
                continue;
            }
            const QString upper = upperPart(text);
            int end = first + 1;
            while (end < count && upperPart(leaves[end]->text()) == upper)
                ++end;
            // Each leaf keeps the rest of its caption, from its own second word on.
            for (int i = first; i < end; ++i) {
                const int rest = secondWordStart(leaves[i]->text());
                leaves[i]->setText(rest < 0 ? QString() : leaves[i]->text().mid(rest));
            }
            changed = true;
            // A merged cell needs the group side by side under one parent; otherwise the shortened
            // texts stay and the upper part is not shown.
            TTitleNode* parent = leaves[first]->parent();
            const int at = leaves[first]->indexInParent();
            bool siblings = leaves[first]->depth() == leaves[end - 1]->depth();
            for (int i = first; siblings && i < end; ++i)
                siblings =
                    at + (i - first) < parent->childCount() && parent->child(at + (i - first)) == leaves[i];
            if (!siblings) {
                first = end;
                continue;
            }
            auto node = std::make_unique<TTitleNode>(upper);
            int width = 0;
            for (int i = first; i < end; ++i) {
                width += leaves[i]->width() + (i > first ? lineWidth : 0);
                node->appendChild(parent->takeChild(at));
            }
            node->setWidth(width);
            parent->insertChild(at, std::move(node));
            break;
        }
    }
}

void TitleTree::collectLeaves(const TTitleNode& node, QList<const TTitleNode*>& leaves) {
    for (int i = 0; i < node.childCount(); ++i) {
        const TTitleNode* child = node.child(i);
        if (child->hasChildren())
            collectLeaves(*child, leaves);
        else
            leaves.append(child);
    }
}

QList<const TTitleNode*> TitleTree::leaves() const {
    QList<const TTitleNode*> found;
    collectLeaves(m_root, found);
    return found;
}

int TitleTree::childrenHeight(const TTitleNode& node) {
    if (!node.hasChildren())
        return 0;
    const TTitleNode& first = *node.child(0);
    return first.height() + childrenHeight(first);
}

int TitleTree::computeHeights(const TextMeasure& measure, int marginV) {
    return layOut(m_root, measure, marginV);
}

// Lays out the node's children and returns the height they share.
int TitleTree::layOut(TTitleNode& node, const TextMeasure& measure, int marginV) {
    std::vector<int> subtree(static_cast<size_t>(node.childCount()));
    int common = 0;
    for (int i = 0; i < node.childCount(); ++i) {
        TTitleNode& child = *node.child(i);
        const int text =
            child.width() <= 0
                ? 0
                : measure.titleTextHeight(child.text().isEmpty() ? QStringLiteral(" ") : child.text(),
                                          std::max(1, child.width() - 4));
        subtree[static_cast<size_t>(i)] = text + marginV + layOut(child, measure, marginV);
        common = std::max(common, subtree[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < node.childCount(); ++i) {
        TTitleNode& child = *node.child(i);
        child.setHeight(child.hasChildren() ? common - childrenHeight(child) : common);
    }
    return common;
}
