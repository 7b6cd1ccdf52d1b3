#pragma once

#include <QImage>
#include <QWidget>

// A picture drawn scaled to the width of its box with the aspect ratio kept (height truncated to
// whole pixels), anchored at the top-left corner. The JPEG is decoded once, straight to that size.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QString& resource, const QRect& box, QWidget* parent);

    // The stored picture's size and the size it is drawn at.
    QSize storedSize() const { return m_storedSize; }
    QSize drawnSize() const { return m_drawnSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize m_storedSize;
    QSize m_drawnSize;
    QImage m_image;
};
