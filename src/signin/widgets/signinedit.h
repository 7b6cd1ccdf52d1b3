#pragma once

#include <QLineEdit>

// A borderless white edit of the sign-in dialog; with auto-select off it keeps its text unselected
// when entered by keyboard.
class SignInEdit : public QLineEdit {
    Q_OBJECT
public:
    SignInEdit(const QRect& box, bool masked, bool autoSelect, QWidget* parent);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_autoSelect;
};
