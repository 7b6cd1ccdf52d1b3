#include "getuserstatement.h"

#include "data/dataerror.h"
#include "passworddigest.h"

namespace {

void RefuseNul(const QString& text, const char* what) {
    if (text.contains(QChar(0)))
        throw DataError(
            QString::fromUtf8(what) +
            QString::fromUtf8(" содержит символ с кодом 0: такой текст нельзя передать серверу."));
}

} // namespace

QString NewPasswordValue(const QString& newPassword) {
    if (newPassword == QLatin1String("NULL"))
        return newPassword;
    return '\'' + HashPassword(newPassword) + '\'';
}

QString QuoteLiteralText(const QString& text) {
    QString quoted = text;
    quoted.replace('\'', QLatin1String("''"));
    return quoted;
}

QString BuildGetUserStatement(const QString& login, const QString& passwordDigest,
                              const QString& newPasswordValue, const QString& address,
                              const QString& computerName) {
    RefuseNul(login, "Логин");
    RefuseNul(address, "IP-адрес");
    RefuseNul(computerName, "Имя компьютера");
    return QLatin1String("EXEC GET_USER '") + QuoteLiteralText(login) + QLatin1String("',") + '\'' +
           passwordDigest + QLatin1String("',") + newPasswordValue + QLatin1String(", ") + '\'' +
           ProgramIdentifier + '\'' + QLatin1String(", '") + QuoteLiteralText(address) +
           QLatin1String("', ") + '\'' + QuoteLiteralText(computerName) + '\'' + QLatin1String(", '") +
           QuoteLiteralText(login) + QLatin1String("',") + QLatin1String("'0',") + '\'' +
           QString::number(newPasswordValue.size()) + '\'';
}
