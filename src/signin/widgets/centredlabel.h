#pragma once

#include <QWidget>

// A fixed, transparent text box: every line centred, words wrapped at the box's width, a CR (or LF)
// starting a new line, the whole block centred vertically (moved down by half the spare height,
// rounded toward zero, so a block taller than the box loses its first and last lines at the edges),
// and an ampersand underlining the next character.
class CentredLabel : public QWidget {
    Q_OBJECT
public:
    explicit CentredLabel(QWidget* parent);

    QString text() const { return m_text; }
    void setText(const QString& text);

    // Where the text block is drawn inside the box, in the label's coordinates.
    QRect textBlockRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int Flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
    QString displayText() const;

    QString m_text;
};
