#pragma once

#include "addresswatch.h"
#include "signin/signinview.h"
#include "update/updateview.h"

#include <QDialog>
#include <QPoint>

class CentredLabel;
struct ProgramContext;
class PictureBox;
class QKeyEvent;
class QLabel;
class QTimer;
class QToolButton;
class SignInEdit;

// The sign-in dialog: two pictures with borderless edits and invisible flat buttons laid over the
// entry boxes and buttons they draw. Ends its modal run with 1 after a successful sign-in and with 2
// when termination of the application is requested.
class TForm8 : public QDialog, public SignInView, public UpdateView {
    Q_OBJECT
public:
    static constexpr int ClosedPanelHeight = 275;
    static constexpr int OpenPanelHeight = 416;
    static constexpr int ProgramVersion = 1;

    explicit TForm8(const ProgramContext& context, QWidget* owner = nullptr);

    PictureBox* Image1;
    SignInEdit* Login_Edit;
    SignInEdit* Password_Edit;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    PictureBox* Image2;
    SignInEdit* Edit1;
    SignInEdit* Edit2;
    QToolButton* SpeedButton1;
    CentredLabel* StatusLabel;
    AddressWatch IPWatch1;
    QTimer* Timer1;
    QLabel* Label1;
    quint8 AttemptCount = 0;
    bool ChangePasswordMode = false;

    // One sign-in attempt; true when the connection is open as the user with the year list open.
    bool Authenticate(const QString& newPassword);

    void FormCreate();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton1Click();
    void Image1MouseDown(Qt::MouseButton button, const QPoint& globalPosition);
    bool EditAllKeyDown(QKeyEvent* event);
    bool Edit_serverKeyPress(QKeyEvent* event);
    bool EditAllNoBeep(QKeyEvent* event);
    bool Edit1KeyPress(QKeyEvent* event);
    void Timer1Timer();

    // SignInView
    QString loginText() const override;
    QString passwordText() const override;
    quint8 attemptCount() const override;
    QString localAddress() const override;
    bool changePasswordMode() const override;
    QString newPasswordText() const override;
    QString confirmationText() const override;
    void clearNewPasswords() override;
    void setStatusText(const QString& text) override;
    void pressPanelButton() override;
    void disablePanelButton() override;
    void runProgramUpdate() override;

    // UpdateView
    void setVersionText(const QString& text) override;
    void enableQuitTimer() override;

public slots:
    // Closing the window (there is no title bar, but the system may ask) ends the run like a cancel.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    const ProgramContext& m_context;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

// The dialog while it runs; empty otherwise.
extern TForm8* Form8;
