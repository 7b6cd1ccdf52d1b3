#include "tform8.h"

#include "centredlabel.h"
#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "context/windowplacement.h"
#include "picturebox.h"
#include "signin/signinexchange.h"
#include "signin/typedtext.h"
#include "signinedit.h"
#include "update/programupdate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

TForm8* Form8 = nullptr;

namespace {

QToolButton* flatButton(const char* name, const QRect& box, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(box);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// What a key press types: empty for keys that type nothing (arrows, Delete, the clipboard keys, ...).
QString typedText(const QKeyEvent* event) {
    return TypedText(event->key(), event->modifiers(), event->text());
}

} // namespace

TForm8::TForm8(const ProgramContext& context, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), IPWatch1(context.hostResolver),
      m_context(context) {
    setObjectName("Form8");
    setWindowTitle(QString::fromUtf8("Аутентификация"));
    setFixedSize(497, 273);
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    setBackgroundRole(QPalette::Button);

    Image1 = new PictureBox(QStringLiteral(":/pictures/signin-top.jpg"), QRect(0, 0, 497, 278), this);
    Image1->setObjectName("Image1");
    Image2 = new PictureBox(QStringLiteral(":/pictures/signin-panel.jpg"), QRect(0, 277, 497, 139), this);
    Image2->setObjectName("Image2");

    StatusLabel = new CentredLabel(this);
    StatusLabel->setObjectName("StatusLabel");
    StatusLabel->setGeometry(60, 107, 329, 78);
    QFont statusFont(QStringLiteral("Arial"));
    statusFont.setPointSize(10);
    statusFont.setBold(true);
    StatusLabel->setFont(statusFont);
    QPalette statusPalette = StatusLabel->palette();
    statusPalette.setColor(QPalette::WindowText, Qt::black);
    StatusLabel->setPalette(statusPalette);

    Label1 = new QLabel(QStringLiteral("V.1"), this);
    Label1->setObjectName("Label1");
    Label1->move(6, 5);
    QFont versionFont(QStringLiteral("MS Sans Serif"));
    versionFont.setPointSize(10);
    versionFont.setBold(true);
    Label1->setFont(versionFont);
    Label1->setAttribute(Qt::WA_TranslucentBackground);
    Label1->adjustSize();

    SpeedButton2 = flatButton("SpeedButton2", QRect(349, 200, 55, 20), this);
    SpeedButton1 = flatButton("SpeedButton1", QRect(418, 199, 67, 22), this);
    SpeedButton3 = flatButton("SpeedButton3", QRect(346, 236, 139, 22), this);

    // Edits lie above the pictures, labels and buttons; their creation order is the tab order.
    Login_Edit = new SignInEdit(QRect(146, 202, 187, 21), false, false, this);
    Login_Edit->setObjectName("Login_Edit");
    Password_Edit = new SignInEdit(QRect(146, 238, 187, 21), true, true, this);
    Password_Edit->setObjectName("Password_Edit");
    Edit1 = new SignInEdit(QRect(148, 309, 186, 21), true, false, this);
    Edit1->setObjectName("Edit1");
    Edit2 = new SignInEdit(QRect(148, 345, 186, 21), true, true, this);
    Edit2->setObjectName("Edit2");
    setTabOrder(Login_Edit, Password_Edit);
    setTabOrder(Password_Edit, Edit1);
    setTabOrder(Edit1, Edit2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(2000);

    for (QWidget* edit : {Login_Edit, Password_Edit, Edit1, Edit2})
        edit->installEventFilter(this);
    for (QWidget* mover :
         {static_cast<QWidget*>(Image1), static_cast<QWidget*>(Image2), static_cast<QWidget*>(StatusLabel)})
        mover->installEventFilter(this);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm8::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm8::SpeedButton3Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(Timer1, &QTimer::timeout, this, &TForm8::Timer1Timer);

    Login_Edit->setFocus();
    FormCreate();
}

void TForm8::FormCreate() {
    // The replacement script that an update leaves behind; on an ordinary start there is none.
    RemoveLeftoverScripts(m_context.installation);
    Label1->setText(QStringLiteral("V.") + QString::number(ProgramVersion));
    Label1->adjustSize();
    AttemptCount = 0;
    ChangePasswordMode = false;
    // Qt paints every widget double-buffered already.
}

bool TForm8::Authenticate(const QString& newPassword) {
    return RunSignInAttempt(*this, m_context, newPassword);
}

void TForm8::SpeedButton2Click() {
    ++AttemptCount;
    if (PressSignIn(*this, m_context))
        done(1);
}

void TForm8::SpeedButton3Click() {
    ChangePasswordMode = !ChangePasswordMode;
    setFixedHeight(ChangePasswordMode ? OpenPanelHeight : ClosedPanelHeight);
}

void TForm8::SpeedButton1Click() {
    m_context.shell.requestTermination();
}

void TForm8::Image1MouseDown(Qt::MouseButton button, const QPoint& globalPosition) {
    if (button != Qt::LeftButton)
        return;
    // The window system moves the window with the mouse where it can; elsewhere the dialog follows
    // the mouse itself until the button is released.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = globalPosition - pos();
}

bool TForm8::EditAllKeyDown(QKeyEvent* event) {
    if (!isEnter(event))
        return false;
    SpeedButton2->click();
    return true;
}

bool TForm8::Edit_serverKeyPress(QKeyEvent* event) {
    return typedText(event) == QLatin1String("\r");
}

bool TForm8::EditAllNoBeep(QKeyEvent* event) {
    return typedText(event) == QLatin1String("\r") && focusWidget() == Password_Edit;
}

bool TForm8::Edit1KeyPress(QKeyEvent* event) {
    return !NewPasswordTakes(typedText(event));
}

void TForm8::Timer1Timer() {
    if (Timer1->interval() == 2000)
        Timer1->setInterval(100);
    m_context.shell.requestTermination();
}

QString TForm8::loginText() const {
    return Login_Edit->text();
}
QString TForm8::passwordText() const {
    return Password_Edit->text();
}
quint8 TForm8::attemptCount() const {
    return AttemptCount;
}
QString TForm8::localAddress() const {
    return IPWatch1.LocalAddress();
}
bool TForm8::changePasswordMode() const {
    return ChangePasswordMode;
}
QString TForm8::newPasswordText() const {
    return Edit1->text();
}
QString TForm8::confirmationText() const {
    return Edit2->text();
}
void TForm8::clearNewPasswords() {
    Edit1->clear();
    Edit2->clear();
}
void TForm8::setStatusText(const QString& text) {
    StatusLabel->setText(text);
}
// The click operation runs even on a disabled button, as a user's click would have before it was
// disabled: a forced change keeps toggling the panel that the user can no longer toggle.
void TForm8::pressPanelButton() {
    SpeedButton3Click();
}
void TForm8::disablePanelButton() {
    SpeedButton3->setEnabled(false);
}
void TForm8::runProgramUpdate() {
    RunProgramUpdate(*this, m_context);
}

void TForm8::setVersionText(const QString& text) {
    Label1->setText(text);
    Label1->adjustSize();
}

void TForm8::enableQuitTimer() {
    Timer1->start();
}

void TForm8::reject() {
    done(2);
}

void TForm8::showEvent(QShowEvent* event) {
    // Centred on the screen's work area by the dialog's own size, which is its outer size: it has no
    // frame (the platform's own placement allows for a frame it guesses).
    if (!event->spontaneous())
        move(CentredWindowPosition(screen()->availableGeometry(), size()));
    QDialog::showEvent(event);
}

void TForm8::keyPressEvent(QKeyEvent* event) {
    // No keyboard equivalent of the cancel button: Escape does not close the dialog.
    if (event->key() == Qt::Key_Escape || isEnter(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (EditAllKeyDown(key))
            return true;
        if (watched == Login_Edit)
            return Edit_serverKeyPress(key);
        if (watched == Password_Edit)
            return EditAllNoBeep(key);
        if (watched == Edit1 || watched == Edit2)
            return Edit1KeyPress(key);
        break;
    }
    case QEvent::MouseButtonPress: {
        if (watched != Image1 && watched != Image2 && watched != StatusLabel)
            break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        Image1MouseDown(mouse->button(), mouse->globalPosition().toPoint());
        return mouse->button() == Qt::LeftButton;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_dragOffset);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_dragging = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
