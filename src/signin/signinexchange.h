#pragma once

#include <QString>

class SignInView;
class TDM_MB;
struct ProgramContext;

// The change message of a forced or offered password change (two lines, CR between them).
QString ChangePasswordMessage();
// The status text after the server refused the sign-in with an error.
QString WrongLoginMessage();
// The status text when the new password and its confirmation differ.
QString MismatchMessage();

// One press of the sign-in button, after the dialog counted it: with the panel open the two new
// password edits must agree (otherwise both are emptied and the mismatch shown); then one attempt,
// and after a successful one the server's date format "SET DATEFORMAT dmy". True when the user is
// signed in and the dialog may close with 1; errors of that last statement are not caught.
bool PressSignIn(SignInView& view, const ProgramContext& context);

// One sign-in attempt: connects as the bootstrap account of the installation's bootstrap file, asks
// GET_USER about the user of the view, and acts on the answer. Returns true only when the
// connection is open as the user with the year list open and sorted. newPassword "NULL" stands
// for no new password. Errors of the bootstrap file and of the address lookup leave the attempt
// uncaught; everything the server or the connection says is shown through the user shell.
bool RunSignInAttempt(SignInView& view, const ProgramContext& context, const QString& newPassword);

// Opens the data module's year list sorted by year.
void OpenYearList(TDM_MB& data);
