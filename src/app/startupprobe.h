#pragma once

class QApplication;

// For timing the start-up from outside (bench/startup_bench): with the environment variable
// ZOR27_EXIT_WHEN_SIGNIN_SHOWN set to 1, the process writes "sign-in shown" to its standard output
// and ends at once, exit code 0, as soon as the sign-in dialog has been painted for the first time.
// Without the variable nothing is installed.
void InstallStartupProbe(QApplication& application);
