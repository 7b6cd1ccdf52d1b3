#include "application.h"
#include "context/installation.h"
#include "context/programcontext.h"
#include "data/connection.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "schedule/tform1.h"
#include "startcheck.h"
#include "startupprobe.h"

#include <memory>

int main(int argc, char** argv) {
    Application app(argc, argv);
    if (StartCheckRequested(argc, argv))
        return RunStartCheck(app);
    InstallStartupProbe(app);
    const Installation installation = Installation::OfRunningProgram();
    const platform::SystemHostResolver hostResolver;
    // The data module first: the main window's controls refer to its data sources.
    auto dataModule = std::make_unique<TDM_MB>();
    DM_MB = dataModule.get();
    dataModule->ADOCon->setDatabaseFolder(installation.dataFolder());
    const ProgramContext context{installation, app, *dataModule, hostResolver};
    // Creating the main window runs the whole sign-in.
    auto mainWindow = std::make_unique<TForm1>(context);
    const int code = app.run(mainWindow.get());
    mainWindow.reset();
    Form1 = nullptr;
    dataModule.reset();
    DM_MB = nullptr;
    return code;
}
