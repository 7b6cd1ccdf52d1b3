#pragma once

#include "signin/signinview.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace testsupport {

// The sign-in dialog as the exchange sees it, without widgets: fields to set, and what the
// exchange did to it.
class FakeSignInView : public SignInView {
public:
    QString login = QStringLiteral("ivanov");
    QString password = QStringLiteral("secret");
    quint8 attempts = 0;
    QString address = QStringLiteral("10.1.2.3");
    // Raised by localAddress() when set.
    QString addressError;
    bool panelOpen = false;
    bool panelButtonEnabled = true;
    QString newPassword;
    QString confirmation;
    QString status;
    int updateOrders = 0;
    // The computer name as the system would report it; the system's own when not set.
    std::optional<std::string> reportedComputerName;

    QString loginText() const override { return login; }
    QString passwordText() const override { return password; }
    quint8 attemptCount() const override { return attempts; }
    QString localAddress() const override {
        if (!addressError.isEmpty())
            throw std::runtime_error(addressError.toStdString());
        return address;
    }
    bool changePasswordMode() const override { return panelOpen; }
    QString newPasswordText() const override { return newPassword; }
    QString confirmationText() const override { return confirmation; }
    void clearNewPasswords() override {
        newPassword.clear();
        confirmation.clear();
    }
    void setStatusText(const QString& text) override { status = text; }
    void pressPanelButton() override { panelOpen = !panelOpen; }
    void disablePanelButton() override { panelButtonEnabled = false; }
    void runProgramUpdate() override { ++updateOrders; }
    std::string systemComputerName() const override {
        return reportedComputerName ? *reportedComputerName : SignInView::systemComputerName();
    }
};

} // namespace testsupport
