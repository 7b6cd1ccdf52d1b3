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
// single quote in a text is doubled so that it cannot end the literal. Every other character, line
// breaks and colons included, stays as it is: the statement is set on its query verbatim
// (Query::setSqlVerbatim), never scanned for markers. A character of code 0 cannot reach the
// server inside a statement: a login, address or computer name holding one raises DataError
// naming it, and nothing is sent.
QString BuildGetUserStatement(const QString& login, const QString& passwordDigest,
                              const QString& newPasswordValue, const QString& address,
                              const QString& computerName);
