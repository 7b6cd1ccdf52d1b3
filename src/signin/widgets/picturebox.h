#pragma once

#include <QImage>
#include <QWidget>
#include <future>

// A picture drawn scaled to the width of its box with the aspect ratio kept (height truncated to
// whole pixels), anchored at the top-left corner. The JPEG is read and decoded straight to that size
// on a worker thread, started at construction, so that building and showing the window go on
// meanwhile; the first paint waits for it.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(const QString& resource, const QRect& box, QWidget* parent);
    ~PictureBox() override;

    // The stored picture's size and the size it is drawn at (empty when it cannot be read).
    QSize storedSize() { return picture().storedSize; }
    QSize drawnSize() { return picture().drawnSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Picture {
        QSize storedSize;
        QSize drawnSize;
        QImage image;
    };
    const Picture& picture();

    std::future<Picture> m_decoding;
    Picture m_picture;
};
