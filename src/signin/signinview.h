#pragma once

#include "platform/computername.h"

#include <QString>
#include <string>

// What the sign-in reads from and does to the sign-in dialog.
class SignInView {
public:
    virtual ~SignInView() = default;

    virtual QString loginText() const = 0;
    virtual QString passwordText() const = 0;
    // Presses of the sign-in button since the dialog was created, this one included (modulo 256).
    virtual quint8 attemptCount() const = 0;
    // Raises the lookup's error when the address cannot be determined.
    virtual QString localAddress() const = 0;

    // The password-change panel: open or not, and its two edits.
    virtual bool changePasswordMode() const = 0;
    virtual QString newPasswordText() const = 0;
    virtual QString confirmationText() const = 0;
    virtual void clearNewPasswords() = 0;

    // Replaces the whole text of the status label.
    virtual void setStatusText(const QString& text) = 0;
    // Presses the panel button exactly as a user's click does (it toggles the panel).
    virtual void pressPanelButton() = 0;
    virtual void disablePanelButton() = 0;
    // The server ordered an update of the program.
    virtual void runProgramUpdate() = 0;
    // The computer name as the system reports it (platform::ComputerName).
    virtual std::string systemComputerName() const { return platform::ComputerName(); }
};
