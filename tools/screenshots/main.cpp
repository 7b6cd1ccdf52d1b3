// zor27-screenshots: renders the sign-in dialog (panel closed and open) from the real widget.
//
//   zor27-screenshots OUTPUT_FOLDER
#include "app/application.h"
#include "context/installation.h"
#include "context/programcontext.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "signin/signinexchange.h"
#include "signin/widgets/centredlabel.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"

#include <QDir>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zor27-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    // An installation that does not exist: the dialog's start-up finds no leftover script there.
    const Installation installation(folder.filePath("no-installation"));
    const platform::SystemHostResolver resolver;
    TDM_MB dataModule;
    const ProgramContext context{installation, app, dataModule, resolver};
    TForm8 dialog(context);
    dialog.show();
    dialog.Login_Edit->setText("ivanov");
    dialog.Password_Edit->setText("secret");
    bool saved = dialog.grab().save(folder.filePath("signin-dialog.png"));

    dialog.SpeedButton3Click();
    dialog.StatusLabel->setText(ChangePasswordMessage());
    dialog.Edit1->setText("NewPass_1");
    dialog.Edit2->setText("NewPass_1");
    saved = dialog.grab().save(folder.filePath("signin-dialog-panel.png")) && saved;
    if (!saved) {
        std::fprintf(stderr, "zor27-screenshots: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
