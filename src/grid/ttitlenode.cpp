#include "ttitlenode.h"

TTitleNode::TTitleNode(const QString& text, int width, TGridColumn* column, int columnIndex)
    : m_text(text), m_width(width), m_column(column), m_columnIndex(columnIndex) {}

int TTitleNode::indexInParent() const {
    if (!m_parent)
        return -1;
    for (int i = 0; i < m_parent->childCount(); ++i)
        if (m_parent->child(i) == this)
            return i;
    return -1;
}

int TTitleNode::depth() const {
    int depth = 0;
    for (const TTitleNode* node = m_parent; node; node = node->m_parent)
        ++depth;
    return depth;
}

TTitleNode* TTitleNode::appendChild(std::unique_ptr<TTitleNode> node) {
    return insertChild(childCount(), std::move(node));
}

TTitleNode* TTitleNode::insertChild(int index, std::unique_ptr<TTitleNode> node) {
    node->m_parent = this;
    TTitleNode* inserted = node.get();
    m_children.insert(m_children.begin() + index, std::move(node));
    return inserted;
}

std::unique_ptr<TTitleNode> TTitleNode::takeChild(int index) {
    std::unique_ptr<TTitleNode> node = std::move(m_children[static_cast<size_t>(index)]);
    m_children.erase(m_children.begin() + index);
    node->m_parent = nullptr;
    return node;
}
