#pragma once

#include <QString>

class Connection;
class SignInView;

// The change message of a forced or offered password change (two lines, CR between them).
QString ChangePasswordMessage();
// The status text after the server refused the sign-in with an error.
QString WrongLoginMessage();

// One sign-in attempt: connects as the bootstrap account of the bootstrap file, asks GET_USER about
// the user of the view, and acts on the answer. Returns true only when the connection is open as the
// user with the year list open and sorted. newPassword "NULL" stands for no new password. Errors
// of the bootstrap file and of the address lookup leave the attempt uncaught; everything the
// server or the connection says is shown through the view.
bool RunSignInAttempt(SignInView& view, Connection& connection, const QString& newPassword);

// Opens the year list of the data module sorted by year.
void OpenYearList();
