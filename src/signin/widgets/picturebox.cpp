#include "picturebox.h"

#include <QImageReader>
#include <QPainter>

PictureBox::PictureBox(const QString& resource, const QRect& box, QWidget* parent) : QWidget(parent) {
    setGeometry(box);
    const int width = box.width();
    const qreal ratio = devicePixelRatioF();
    m_decoding = std::async(std::launch::async, [resource, width, ratio] {
        Picture picture;
        QImageReader reader(resource);
        picture.storedSize = reader.size();
        if (!picture.storedSize.isValid() || picture.storedSize.width() <= 0)
            return picture;
        // Integer arithmetic truncates the scaled height, as the drawing does.
        picture.drawnSize =
            QSize(width, int(qint64(picture.storedSize.height()) * width / picture.storedSize.width()));
        reader.setScaledSize(picture.drawnSize * ratio);
        picture.image = reader.read();
        picture.image.setDevicePixelRatio(ratio);
        return picture;
    });
}

PictureBox::~PictureBox() {
    if (m_decoding.valid())
        m_decoding.wait();
}

const PictureBox::Picture& PictureBox::picture() {
    if (m_decoding.valid())
        m_picture = m_decoding.get();
    return m_picture;
}

void PictureBox::paintEvent(QPaintEvent*) {
    const QImage& image = picture().image;
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), image);
}
