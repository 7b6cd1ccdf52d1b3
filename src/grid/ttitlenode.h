#pragma once

#include <QString>
#include <memory>
#include <vector>

class TGridColumn;

// A cell of the title tree: a leaf stands for one column's title, an inner node for a merged title
// cell above the leaves beneath it. Sizes are in pixels; a node owns its children.
class TTitleNode {
public:
    explicit TTitleNode(const QString& text = QString(), int width = 0, TGridColumn* column = nullptr,
                        int columnIndex = -1);

    const QString& text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    // The column of a leaf, and its index among the grid's columns; nullptr and -1 otherwise.
    TGridColumn* column() const { return m_column; }
    int columnIndex() const { return m_columnIndex; }

    TTitleNode* parent() const { return m_parent; }
    int childCount() const { return static_cast<int>(m_children.size()); }
    TTitleNode* child(int index) const { return m_children[static_cast<size_t>(index)].get(); }
    bool hasChildren() const { return !m_children.empty(); }
    // Position among the parent's children; -1 for the root.
    int indexInParent() const;
    // 0 for the root.
    int depth() const;

    TTitleNode* appendChild(std::unique_ptr<TTitleNode> node);
    TTitleNode* insertChild(int index, std::unique_ptr<TTitleNode> node);
    std::unique_ptr<TTitleNode> takeChild(int index);
    void clear() { m_children.clear(); }

private:
    QString m_text;
    int m_width;
    int m_height = 0;
    TGridColumn* m_column;
    int m_columnIndex;
    TTitleNode* m_parent = nullptr;
    std::vector<std::unique_ptr<TTitleNode>> m_children;
};
