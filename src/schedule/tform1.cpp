#include "tform1.h"

#include "context/windowplacement.h"
#include "signin/widgets/tform8.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>
#include <memory>

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    Form1 = this;
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8("ZOR 27 График проведения контроля"));
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
    const std::unique_ptr<TForm8, FreeDialog> dialog(new TForm8(nullptr));
    Form8 = dialog.get();
    if (dialog->exec() == 2)
        QMetaObject::invokeMethod(QCoreApplication::instance(), "requestTermination");
}

void TForm1::showEvent(QShowEvent* event) {
    // Centred on the whole desktop (all monitors' work areas together) by its outer size when first
    // shown; afterwards it stays where it is, moved by the user or not.
    if (!event->spontaneous() && !testAttribute(Qt::WA_Moved)) {
        const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
        move(CentredWindowPosition(screen()->availableVirtualGeometry(),
                                   WindowOuterSize(size(), frame, QSize(OuterWidth, OuterHeight))));
    }
    QMainWindow::showEvent(event);
}
