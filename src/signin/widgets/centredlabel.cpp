#include "centredlabel.h"

#include <QPainter>

CentredLabel::CentredLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void CentredLabel::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    update();
}

QString CentredLabel::displayText() const {
    QString shown = m_text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace('\r', '\n');
    return shown;
}

QRect CentredLabel::textBlockRect() const {
    const QRect block = fontMetrics().boundingRect(QRect(0, 0, width(), 1 << 20), Flags, displayText());
    return QRect(0, (height() - block.height()) / 2, width(), block.height());
}

void CentredLabel::paintEvent(QPaintEvent*) {
    if (m_text.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textBlockRect(), Flags, displayText());
}
