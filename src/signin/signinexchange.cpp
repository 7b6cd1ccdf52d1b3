#include "signinexchange.h"

#include "bootstrapfile.h"
#include "connectionstring.h"
#include "context/installation.h"
#include "context/programcontext.h"
#include "context/usershell.h"
#include "data/connection.h"
#include "data/dataerror.h"
#include "data/query.h"
#include "datamodule/tdm_mb.h"
#include "getuserstatement.h"
#include "passworddigest.h"
#include "signinview.h"
#include "workstationidentity.h"

#include <exception>
#include <memory>

namespace {

// GET_USER's answer, read by position.
constexpr int UserLoginField = 0;
constexpr int UserPasswordField = 1;
constexpr int PasswordAgeField = 3;
constexpr int MessageField = 4;
constexpr int UpdateField = 5;
constexpr int OfferChangeBelowAge = 20;

QString errorText(const std::exception& error) {
    return QString::fromUtf8(error.what());
}

} // namespace

QString ChangePasswordMessage() {
    return QString::fromUtf8(
        "Вы должны поменять пароль\rЭто делается для безопастности и сохранения данных от "
        "злоумышлеников");
}

QString WrongLoginMessage() {
    return QString::fromUtf8("Неверно ввели логин или пароль.");
}

QString MismatchMessage() {
    return QString::fromUtf8("Новый пароль подтвержден не верно!!!\rПодтвердите пароль заново.");
}

void OpenYearList(TDM_MB& data) {
    data.ADOQ_A_Year->open();
    data.ADOQ_A_Year->setSort(QStringLiteral("Year"));
}

bool PressSignIn(SignInView& view, const ProgramContext& context) {
    QString newPassword = QStringLiteral("NULL");
    if (view.changePasswordMode()) {
        newPassword = view.newPasswordText();
        if (newPassword != view.confirmationText()) {
            view.clearNewPasswords();
            view.setStatusText(MismatchMessage());
            return false;
        }
    }
    if (!RunSignInAttempt(view, context, newPassword))
        return false;
    Query dateFormat(QString(), context.data.ADOCon);
    dateFormat.setSqlText(QStringLiteral("SET DATEFORMAT dmy"));
    dateFormat.execSQL();
    return true;
}

bool RunSignInAttempt(SignInView& view, const ProgramContext& context, const QString& newPassword) {
    Connection& connection = *context.data.ADOCon;
    UserShell& shell = context.shell;
    TFirstConnectInfo info = ReadFirstConnectInfo(context.installation.bootstrapFile());

    try {
        ApplyConnectionString(connection, info);
    } catch (const std::exception& error) {
        const QString text = errorText(error);
        shell.showPlainMessage(text);
        QString status = text;
        if (!info.UserName.isEmpty())
            status.remove(info.UserName, Qt::CaseSensitive);
        view.setStatusText(status);
        // Nothing can be asked without the bootstrap connection: the attempt ends here.
        return false;
    }

    auto query = std::make_unique<Query>(QString(), &connection);
    const QString computerName = ComputerNameText(view.systemComputerName());
    const QString newPasswordValue = NewPasswordValue(newPassword);
    // The pieces are read in the order they stand in the statement; an address lookup that fails
    // leaves the attempt before anything is sent.
    const QString login = view.loginText();
    const QString passwordDigest = HashPassword(view.passwordText());
    const QString address = view.localAddress();
    QString statement;
    try {
        statement = BuildGetUserStatement(login, passwordDigest, newPasswordValue, address, computerName);
    } catch (const DataError&) {
        // A text that cannot be sent ends the attempt; the bootstrap connection is of no further use.
        query.reset();
        connection.close();
        throw;
    }
    query->setSqlVerbatim(statement);

    try {
        query->open();
        const QString message = query->field(MessageField)->asString();
        if (query->field(UpdateField)->asInteger() >= 2) {
            view.runProgramUpdate();
            return false;
        }
        if (!message.isEmpty()) {
            view.setStatusText(message);
            return false;
        }
        if (query->field(PasswordAgeField)->asInteger() < 0) {
            connection.close();
            view.setStatusText(ChangePasswordMessage());
            view.pressPanelButton();
            view.disablePanelButton();
            return false;
        }
        if (view.attemptCount() == 1 && !query->field(UserLoginField)->asString().isEmpty() &&
            query->field(PasswordAgeField)->asInteger() < OfferChangeBelowAge) {
            connection.close();
            view.setStatusText(ChangePasswordMessage());
            view.pressPanelButton();
            return false;
        }
        info.UserName = ShiftDecode(query->field(UserLoginField)->asString());
        info.Password = ShiftDecode(query->field(UserPasswordField)->asString());
        query.reset();
        try {
            ApplyConnectionString(connection, info);
            OpenYearList(context.data);
            return true;
        } catch (const std::exception& error) {
            shell.showPlainMessage(errorText(error));
            view.setStatusText(message);
            connection.close();
            return false;
        }
    } catch (const std::exception& error) {
        shell.showPlainMessage(errorText(error));
        view.setStatusText(WrongLoginMessage());
        query.reset();
        connection.close();
        return false;
    }
}
