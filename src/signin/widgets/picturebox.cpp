#include "picturebox.h"

#include <QImageReader>
#include <QPainter>

PictureBox::PictureBox(const QString& resource, const QRect& box, QWidget* parent) : QWidget(parent) {
    setGeometry(box);
    QImageReader reader(resource);
    m_storedSize = reader.size();
    if (m_storedSize.isValid() && m_storedSize.width() > 0) {
        // Integer arithmetic truncates the scaled height, as the drawing does.
        m_drawnSize =
            QSize(box.width(), int(qint64(m_storedSize.height()) * box.width() / m_storedSize.width()));
        const qreal ratio = devicePixelRatioF();
        reader.setScaledSize(m_drawnSize * ratio);
        reader.setQuality(100);
        m_image = reader.read();
        m_image.setDevicePixelRatio(ratio);
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_image);
}
