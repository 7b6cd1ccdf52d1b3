#include "bevel.h"

#include <QPainter>

Bevel::Bevel(Shape shape, QWidget* parent) : QWidget(parent), m_shape(shape) {}

void Bevel::paintEvent(QPaintEvent*) {
    if (m_shape != Shape::Etched)
        return;
    QPainter painter(this);
    painter.fillRect(0, 0, width(), 1, palette().color(QPalette::Dark));
    painter.fillRect(0, 1, width(), 1, palette().color(QPalette::Light));
}
