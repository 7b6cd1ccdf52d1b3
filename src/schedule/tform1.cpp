#include "tform1.h"

#include "context/programcontext.h"
#include "context/usershell.h"
#include "signin/widgets/tform8.h"

#include <memory>

TForm1* Form1 = nullptr;

TForm1::TForm1(const ProgramContext& context, QWidget* parent) : QMainWindow(parent), m_context(context) {
    Form1 = this;
    setObjectName("Form1");
    setWindowTitle(m_context.shell.title());
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPointSize(8);
    setFont(windowFont);
    setBackgroundRole(QPalette::Button);
    resize(ClientWidth, ClientHeight);
    FormCreate();
}

void TForm1::FormCreate() {
    struct FreeDialog {
        void operator()(TForm8* dialog) const {
            delete dialog;
            Form8 = nullptr;
        }
    };
    // The application owns the dialog: it is a top-level window without a parent.
    const std::unique_ptr<TForm8, FreeDialog> dialog(new TForm8(m_context, nullptr));
    Form8 = dialog.get();
    if (dialog->exec() == 2)
        m_context.shell.requestTermination();
}
