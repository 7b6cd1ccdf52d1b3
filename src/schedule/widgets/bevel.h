#pragma once

#include <QWidget>

// A bevel docked as a line: Etched draws one row in the button-shadow colour above one in the
// button-highlight colour; Space draws nothing and leaves a gap in the window colour.
class Bevel : public QWidget {
    Q_OBJECT
public:
    enum class Shape { Etched, Space };

    explicit Bevel(Shape shape, QWidget* parent = nullptr);

    Shape shape() const { return m_shape; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shape m_shape;
};
