// make-dialog-pictures: draws the two background pictures of the sign-in dialog.
//
//   make-dialog-pictures OUTPUT_FOLDER
//
// writes signin-top.jpg (1677 x 935), signin-panel.jpg (3070 x 862) and the program's icon zor27.png. The
// dialog draws each scaled to its width of 497 pixels, so every rectangle below is given in dialog pixels and
// multiplied by the picture's scale: the white entry boxes and the bevelled buttons then lie exactly under
// the edits and the flat buttons that the dialog places over them.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>

namespace {

constexpr int DialogWidth = 497;
const QColor Caption(255, 214, 0);

class Canvas {
public:
    Canvas(int width, int height) : m_image(width, height, QImage::Format_RGB32), m_painter(&m_image) {
        m_scale = double(width) / DialogWidth;
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
    }

    QPainter& painter() { return m_painter; }
    double scale() const { return m_scale; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    // A rectangle of the dialog (relative to the picture's box) in picture pixels.
    QRectF map(double left, double top, double width, double height) const {
        return QRectF(left * m_scale, top * m_scale, width * m_scale, height * m_scale);
    }

    QFont font(const QString& family, double dialogPixels, bool bold, bool italic = false) const {
        QFont font(family);
        font.setPixelSize(int(std::lround(dialogPixels * m_scale)));
        font.setBold(bold);
        font.setItalic(italic);
        return font;
    }

    // Text with a dark drop shadow so it reads on any background.
    void shadowedText(const QRectF& box, int flags, const QString& text, const QFont& font,
                      const QColor& color) {
        m_painter.setFont(font);
        const double offset = 0.8 * m_scale;
        m_painter.setPen(QColor(0, 0, 0, 170));
        m_painter.drawText(box.translated(offset, offset), flags, text);
        m_painter.setPen(color);
        m_painter.drawText(box, flags, text);
    }

    // A white entry box whose white face is exactly the edit's rectangle, framed by a sunken bevel.
    void entryBox(double left, double top, double width, double height) {
        const QRectF face = map(left, top, width, height);
        const double bevel = 1.6 * m_scale;
        const QRectF outer = face.adjusted(-bevel, -bevel, bevel, bevel);
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(QColor(60, 60, 60));
        m_painter.drawRect(outer);
        QPainterPath light;
        light.moveTo(outer.bottomLeft());
        light.lineTo(outer.bottomRight());
        light.lineTo(outer.topRight());
        light.lineTo(face.topRight());
        light.lineTo(face.bottomRight());
        light.lineTo(face.bottomLeft());
        light.closeSubpath();
        m_painter.setBrush(QColor(225, 225, 225));
        m_painter.drawPath(light);
        m_painter.setBrush(Qt::white);
        m_painter.drawRect(face);
    }

    // A dark raised button with a yellow caption, filling the flat button's rectangle.
    void button(double left, double top, double width, double height, const QString& caption) {
        const QRectF face = map(left, top, width, height);
        QLinearGradient gradient(face.topLeft(), face.bottomLeft());
        gradient.setColorAt(0, QColor(78, 74, 66));
        gradient.setColorAt(0.5, QColor(44, 41, 36));
        gradient.setColorAt(1, QColor(22, 20, 18));
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(gradient);
        m_painter.drawRect(face);
        const double bevel = 1.3 * m_scale;
        m_painter.setBrush(QColor(150, 145, 130));
        m_painter.drawRect(QRectF(face.left(), face.top(), face.width(), bevel));
        m_painter.drawRect(QRectF(face.left(), face.top(), bevel, face.height()));
        m_painter.setBrush(QColor(8, 8, 8));
        m_painter.drawRect(QRectF(face.left(), face.bottom() - bevel, face.width(), bevel));
        m_painter.drawRect(QRectF(face.right() - bevel, face.top(), bevel, face.height()));
        shadowedText(face, Qt::AlignCenter, caption, font("DejaVu Sans", 10.5, true), Caption);
    }

    bool save(const QString& path) {
        m_painter.end();
        return m_image.save(path, "JPG", 82);
    }

private:
    QImage m_image;
    QPainter m_painter;
    double m_scale;
};

// A mountain ridge across the picture: its height at x follows a few sines, seeded for repeatability.
QPainterPath ridge(double width, double bottom, double base, double amplitude, quint32 seed) {
    QRandomGenerator random(seed);
    double phases[4];
    for (double& phase : phases)
        phase = random.generateDouble() * 6.283;
    QPainterPath path;
    path.moveTo(0, bottom);
    for (double x = 0; x <= width; x += width / 400) {
        const double t = x / width;
        const double y =
            base -
            amplitude * (0.55 * std::sin(t * 5.1 + phases[0]) + 0.3 * std::sin(t * 11.7 + phases[1]) +
                         0.12 * std::sin(t * 29.0 + phases[2]) + 0.05 * std::sin(t * 71.0 + phases[3]));
        path.lineTo(x, y);
    }
    path.lineTo(width, bottom);
    path.closeSubpath();
    return path;
}

void drawEmblem(Canvas& canvas, QPointF centre, double radius) {
    QPainter& p = canvas.painter();
    QRadialGradient glow(centre, radius * 1.6);
    glow.setColorAt(0, QColor(255, 255, 255, 90));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, radius * 1.6, radius * 1.6);
    p.setBrush(QColor(20, 52, 110));
    p.setPen(QPen(QColor(255, 214, 0), radius * 0.09));
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(255, 214, 0, 200), radius * 0.03));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * 0.82, radius * 0.82);
    // An open book under a star.
    const double w = radius * 0.55, h = radius * 0.32;
    const QPointF spine = centre + QPointF(0, radius * 0.22);
    p.setPen(QPen(QColor(20, 52, 110), radius * 0.03));
    p.setBrush(QColor(250, 244, 220));
    QPainterPath left, right;
    left.moveTo(spine);
    left.cubicTo(spine + QPointF(-w * 0.4, -h * 0.35), spine + QPointF(-w * 0.8, -h * 0.2),
                 spine + QPointF(-w, -h * 0.1));
    left.lineTo(spine + QPointF(-w, h * 0.75));
    left.cubicTo(spine + QPointF(-w * 0.7, h * 0.6), spine + QPointF(-w * 0.3, h * 0.7),
                 spine + QPointF(0, h));
    left.closeSubpath();
    right = QTransform().translate(spine.x(), 0).scale(-1, 1).translate(-spine.x(), 0).map(left);
    p.drawPath(left);
    p.drawPath(right);
    QPainterPath star;
    const QPointF top = centre - QPointF(0, radius * 0.3);
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0 ? radius * 0.3 : radius * 0.12);
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point = top + QPointF(r * std::cos(angle), r * std::sin(angle));
        i == 0 ? star.moveTo(point) : star.lineTo(point);
    }
    star.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 0));
    p.drawPath(star);
}

bool drawTop(const QString& path) {
    Canvas canvas(1677, 935);
    QPainter& p = canvas.painter();
    const double w = canvas.width(), h = canvas.height();

    QLinearGradient sky(0, 0, 0, h * 0.62);
    sky.setColorAt(0, QColor(22, 78, 168));
    sky.setColorAt(0.55, QColor(82, 146, 214));
    sky.setColorAt(1, QColor(196, 222, 240));
    p.fillRect(QRectF(0, 0, w, h), sky);

    // Soft clouds.
    QRandomGenerator random(27);
    for (int i = 0; i < 26; ++i) {
        const QPointF c(random.bounded(w), h * (0.14 + random.generateDouble() * 0.28));
        const double r = 60 + random.bounded(120);
        QRadialGradient cloud(c, r);
        cloud.setColorAt(0, QColor(255, 255, 255, 70));
        cloud.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(cloud);
        p.drawEllipse(c, r * 1.8, r * 0.6);
    }

    // Far blue ridges, then snowy peaks, then dark forest slopes where the controls sit.
    const struct {
        double base, amplitude;
        QColor top, bottom;
        quint32 seed;
    } layers[] = {
        {h * 0.50, h * 0.16, QColor(126, 150, 190), QColor(160, 180, 205), 3},
        {h * 0.58, h * 0.18, QColor(88, 108, 150), QColor(120, 135, 160), 5},
        {h * 0.66, h * 0.12, QColor(52, 82, 70), QColor(40, 62, 48), 8},
        {h * 0.74, h * 0.06, QColor(30, 54, 38), QColor(18, 32, 22), 13},
    };
    for (const auto& layer : layers) {
        QLinearGradient shade(0, layer.base - layer.amplitude, 0, h);
        shade.setColorAt(0, layer.top);
        shade.setColorAt(1, layer.bottom);
        p.setBrush(shade);
        p.drawPath(ridge(w, h, layer.base, layer.amplitude, layer.seed));
        if (layer.seed == 5) {
            // Snow on the highest parts of the second ridge.
            p.save();
            p.setClipPath(ridge(w, h, layer.base, layer.amplitude, layer.seed));
            QLinearGradient snow(0, layer.base - layer.amplitude, 0, layer.base - layer.amplitude * 0.35);
            snow.setColorAt(0, QColor(250, 252, 255, 240));
            snow.setColorAt(1, QColor(250, 252, 255, 0));
            p.fillRect(QRectF(0, 0, w, layer.base), snow);
            p.restore();
        }
    }
    // The control strip along the bottom: darkened so that yellow captions read well.
    QLinearGradient strip(0, canvas.map(0, 186, 0, 0).top(), 0, h);
    strip.setColorAt(0, QColor(0, 0, 0, 0));
    strip.setColorAt(0.25, QColor(0, 0, 0, 120));
    strip.setColorAt(1, QColor(0, 0, 0, 170));
    p.fillRect(QRectF(0, canvas.map(0, 186, 0, 0).top(), w, h), strip);

    // Lettering and emblem in the upper sky.
    drawEmblem(canvas, canvas.map(440, 46, 0, 0).topLeft(), 38 * canvas.scale());
    canvas.shadowedText(canvas.map(40, 14, 360, 40), Qt::AlignLeft | Qt::AlignVCenter, "ZOR 27",
                        canvas.font("DejaVu Serif", 34, true, true), QColor(255, 255, 255));
    canvas.shadowedText(canvas.map(42, 54, 360, 22), Qt::AlignLeft | Qt::AlignVCenter,
                        QString::fromUtf8("График проведения контроля"), canvas.font("DejaVu Sans", 16, true),
                        Caption);
    canvas.shadowedText(canvas.map(42, 76, 360, 16), Qt::AlignLeft | Qt::AlignVCenter,
                        QString::fromUtf8("экзамены · зачёты · аудитории"),
                        canvas.font("DejaVu Sans", 10.5, false, true), QColor(235, 242, 255));

    // A frosted panel behind the status label (60, 107, 329 x 78) keeps its black text legible.
    const QRectF status = canvas.map(56, 104, 337, 84);
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.8 * canvas.scale()));
    p.setBrush(QColor(255, 255, 255, 105));
    p.drawRoundedRect(status, 5 * canvas.scale(), 5 * canvas.scale());

    // Captions, entry boxes and buttons under the controls.
    const QFont captionFont = canvas.font("DejaVu Sans", 11, true);
    canvas.shadowedText(canvas.map(8, 202, 132, 21), Qt::AlignRight | Qt::AlignVCenter,
                        QString::fromUtf8("Пользователь"), captionFont, Caption);
    canvas.shadowedText(canvas.map(8, 238, 132, 21), Qt::AlignRight | Qt::AlignVCenter,
                        QString::fromUtf8("Пароль"), captionFont, Caption);
    canvas.entryBox(146, 202, 187, 21);
    canvas.entryBox(146, 238, 187, 21);
    canvas.button(349, 200, 55, 20, QString::fromUtf8("Вход"));
    canvas.button(418, 199, 67, 22, QString::fromUtf8("Отмена"));
    canvas.button(346, 236, 139, 22, QString::fromUtf8("Дополнительно"));
    return canvas.save(path);
}

bool drawPanel(const QString& path) {
    Canvas canvas(3070, 862);
    QPainter& p = canvas.painter();
    const double w = canvas.width(), h = canvas.height();

    // Water reflecting a green shore: dark green at the top fading into blue-green depth.
    QLinearGradient water(0, 0, 0, h);
    water.setColorAt(0, QColor(34, 70, 40));
    water.setColorAt(0.35, QColor(40, 92, 70));
    water.setColorAt(0.7, QColor(28, 74, 84));
    water.setColorAt(1, QColor(14, 44, 60));
    p.fillRect(QRectF(0, 0, w, h), water);
    // Reflected foliage: blurred blobs stretched vertically.
    QRandomGenerator random(1251);
    for (int i = 0; i < 140; ++i) {
        const QPointF c(random.bounded(w), random.bounded(h * 0.55));
        const double r = 40 + random.bounded(110);
        QRadialGradient leaf(c, r);
        const QColor green =
            QColor::fromHsv(80 + random.bounded(50), 150 + random.bounded(80), 90 + random.bounded(80), 60);
        leaf.setColorAt(0, green);
        leaf.setColorAt(1, QColor(green.red(), green.green(), green.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(leaf);
        p.drawEllipse(c, r * 0.7, r * 1.3);
    }
    // Ripples.
    for (int i = 0; i < 220; ++i) {
        const double y = random.bounded(h);
        const double x = random.bounded(w);
        const double len = 80 + random.bounded(420);
        p.setPen(QPen(QColor(220, 240, 235, 25 + random.bounded(50)), 2 + random.bounded(4)));
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
    p.fillRect(QRectF(0, 0, w, h), QColor(0, 0, 0, 60));

    canvas.shadowedText(canvas.map(0, 4, DialogWidth, 24), Qt::AlignCenter,
                        QString::fromUtf8("Замена пароля"), canvas.font("DejaVu Sans", 14, true), Caption);
    const QFont captionFont = canvas.font("DejaVu Sans", 11, true);
    canvas.shadowedText(canvas.map(8, 32, 132, 21), Qt::AlignRight | Qt::AlignVCenter,
                        QString::fromUtf8("Новый пароль"), captionFont, Caption);
    canvas.shadowedText(canvas.map(8, 68, 132, 21), Qt::AlignRight | Qt::AlignVCenter,
                        QString::fromUtf8("Подтверждение"), captionFont, Caption);
    // Edit1 (148, 309) and Edit2 (148, 345) lie 277 pixels below the dialog's top, where this picture starts.
    canvas.entryBox(148, 32, 186, 21);
    canvas.entryBox(148, 68, 186, 21);
    canvas.shadowedText(canvas.map(348, 30, 140, 60), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                        QString::fromUtf8("Латинские буквы,\nцифры и «_»"),
                        canvas.font("DejaVu Sans", 9, false, true), QColor(225, 240, 230));
    canvas.shadowedText(canvas.map(0, 100, DialogWidth, 30), Qt::AlignCenter,
                        QString::fromUtf8("Сохранность данных начинается с надёжного пароля"),
                        canvas.font("DejaVu Serif", 12, false, true), QColor(240, 248, 240, 220));
    return canvas.save(path);
}

// The program's icon: a calendar leaf with the day of a test ringed, 256 x 256 with transparency.
bool drawIcon(const QString& path) {
    QImage image(256, 256, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF leaf(20, 28, 216, 208);
    p.setPen(QPen(QColor(0, 0, 128), 6));
    p.setBrush(Qt::white);
    p.drawRoundedRect(leaf, 22, 22);
    QPainterPath outline;
    outline.addRoundedRect(leaf, 22, 22);
    p.save();
    p.setClipPath(outline);
    p.fillRect(QRectF(leaf.left(), leaf.top(), leaf.width(), 62), QColor(0, 0, 128));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(Caption);
    for (const int x : {70, 186})
        p.drawRoundedRect(QRectF(x - 9, 12, 18, 40), 8, 8);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(40);
    p.setFont(font);
    p.setPen(Caption);
    p.drawText(QRectF(leaf.left(), leaf.top() + 8, leaf.width(), 54), Qt::AlignCenter, QStringLiteral("ZOR"));
    p.setPen(QPen(QColor(90, 90, 90), 4));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            p.drawPoint(QPointF(58 + column * 47, 122 + row * 40));
    p.setPen(QPen(QColor(200, 0, 0), 9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(152, 162), 30, 26);
    p.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-dialog-pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!drawTop(folder.filePath("signin-top.jpg")) || !drawPanel(folder.filePath("signin-panel.jpg")) ||
        !drawIcon(folder.filePath("zor27.png"))) {
        std::fprintf(stderr, "make-dialog-pictures: cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
