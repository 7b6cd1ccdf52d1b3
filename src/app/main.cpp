#include "application.h"
#include "datamodule/tdm_mb.h"
#include "schedule/tform1.h"

#include <memory>

int main(int argc, char** argv) {
    Application app(argc, argv);
    // The data module first: the main window's controls refer to its data sources.
    auto dataModule = std::make_unique<TDM_MB>();
    DM_MB = dataModule.get();
    // Creating the main window runs the whole sign-in.
    auto mainWindow = std::make_unique<TForm1>();
    const int code = app.run(mainWindow.get());
    mainWindow.reset();
    Form1 = nullptr;
    dataModule.reset();
    DM_MB = nullptr;
    return code;
}
