#include "tgridcolumn.h"

#include <algorithm>

TGridColumn::TGridColumn(const QString& fieldName, const QString& caption, int width, bool readOnly)
    : m_fieldName(fieldName), m_caption(caption), m_readOnly(readOnly), m_baseWidth(width) {
    setWidth(width);
}

void TGridColumn::setWidth(int width) {
    width = std::max(width, m_minWidth);
    if (m_maxWidth > 0)
        width = std::min(width, m_maxWidth);
    m_width = width;
}

void TGridColumn::setMinWidth(int minWidth) {
    m_minWidth = minWidth;
    setWidth(m_width);
}

void TGridColumn::setMaxWidth(int maxWidth) {
    m_maxWidth = maxWidth;
    setWidth(m_width);
}
