#pragma once

#include <QString>

// The program's identifier, the fourth argument of GET_USER.
inline const QString ProgramIdentifier = QStringLiteral("ZOR 27");

// "NULL" when the argument is exactly NULL (no new password), otherwise the quoted digest of it.
QString NewPasswordValue(const QString& newPassword);

// Doubles every single quote, so that a typed text stays one T-SQL literal.
QString QuoteLiteralText(const QString& text);

// EXEC GET_USER '<login>','<digest>',<new password value>, 'ZOR 27', '<address>', '<computer>',
// '<login>','0','<n>' where n is the length of the new password value. Ordinary texts stand as typed; a
// single quote in a text is doubled so that it cannot end the literal.
QString BuildGetUserStatement(const QString& login, const QString& passwordDigest,
                              const QString& newPasswordValue, const QString& address,
                              const QString& computerName);
