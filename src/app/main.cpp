#include "application.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    Application app(argc, argv);
    QMainWindow mainWindow;
    mainWindow.setWindowTitle(app.title());
    mainWindow.resize(800, 600);
    return app.run(&mainWindow);
}
