#pragma once

#include <QMainWindow>

// The main window. Its creation handler runs the sign-in dialog before the window is ever shown.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 870;
    static constexpr int ClientHeight = 367;
    // Frame included, as designed for a Windows desktop at 96 dots per inch.
    static constexpr int OuterWidth = 886;
    static constexpr int OuterHeight = 405;

    explicit TForm1(QWidget* parent = nullptr);

    // Runs the sign-in dialog modally; a run that ends with 2 requests termination. The dialog is
    // freed and Form8 emptied whatever the result.
    void FormCreate();

protected:
    void showEvent(QShowEvent* event) override;
};

// The main window; set as soon as its memory exists, before its creation handler runs.
extern TForm1* Form1;
