#pragma once

#include <string>

// The scripts that put a downloaded program in place of the running one once it has ended. They
// work in their current directory (the program folder, which the program gives them as their
// working directory): the program "ZOR 27" there, the download in "tempZOR" below it.

// The batch script that the program writes as "ZOR 27.bat" and runs on Windows. Before touching
// anything it keeps a copy of the old executable in "tempZOR"; it then retries the deletion once a
// second for at most waitSeconds and gives up, leaving everything in place, when the program has
// not ended by then (dropping its copy). A failed copy of the new executable puts the old one back and starts
// nothing; only after a successful copy are "tempZOR" removed and the new program started.
std::string GuardedReplacementScript(int waitSeconds = 300);

// The POSIX shell counterpart that the program writes as "ZOR 27.sh" and runs detached elsewhere.
// It waits (once a second, at most waitSeconds) for the process to end, copies the new executable
// beside the old one and renames it over it, so that the old program stays until the new one is
// complete; then it removes "tempZOR" and starts the new program in its place. On any failure it
// leaves the old program and "tempZOR" as they are and starts nothing.
std::string ShellReplacementScript(long long processId, int waitSeconds = 300);
