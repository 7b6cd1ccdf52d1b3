#pragma once

class QApplication;

// The start check that the replacement script runs on a freshly installed executable before it lets
// it stay: "ZOR 27 --check-start". Reaching it at all shows that the system's loader found everything
// the executable imports and that the toolkit's platform integration came up (the application object
// exists); it then decodes the sign-in pictures and loads the toolkit's Russian texts, as the first
// window will. Nothing is shown and nothing is read from or written to the installation.

// Whether the command line asks for the start check.
bool StartCheckRequested(int argc, char** argv);

// Runs the check; the process's exit code: 0 when everything is there, 1 otherwise (with the reason
// on the standard error).
int RunStartCheck(QApplication& application);
