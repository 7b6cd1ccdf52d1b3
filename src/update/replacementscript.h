#pragma once

#include <string>

// The scripts that put a downloaded program in place of the running one once it has ended. They
// work in their current directory (the program folder, which the program gives them as their
// working directory): the program "ZOR 27" there, the download in "tempZOR" below it.

// The batch script that the program writes as "ZOR 27.bat" and runs on Windows. It does nothing
// unless "tempZOR" holds a complete download (the program gives it that name only once complete).
// Before touching anything it keeps a copy of the old executable in "tempZOR"; it then retries the
// deletion once a second for at most waitSeconds and gives up, leaving everything in place, when the
// program has not ended by then (dropping its copy). A failed copy of the new executable puts the old
// one back and starts nothing. After a successful copy it runs the new executable's start check
// ("ZOR 27.exe --check-start") and waits for it: exit code 0 removes "tempZOR" and starts the new
// program, shown as normal (not in the script's hidden window), without waiting for it; any other
// code (a loader that cannot start the executable among them) puts the old executable back, renames
// the download to "tempZOR\ZOR 27.rejected" and starts the old program. A batch script cannot take
// the program's update lock: it holds "tempZOR\ZOR 27.run" open while it works instead, which a copy
// of the program finds held open meanwhile (Installation::updateScriptAtWork).
std::string GuardedReplacementScript(int waitSeconds = 300);

// The POSIX shell counterpart that the program writes as "ZOR 27.sh" and runs detached elsewhere.
// It takes the program's update lock ("tempZOR/ZOR 27.lock", at most waitSeconds, once the program
// has let it go) and keeps it to the end; it waits (once a second, at most waitSeconds) for the
// process to end, copies the complete download beside the old executable and renames it over it, so
// that the old program stays until the new one is complete, keeping the old one in "tempZOR". When
// the new program's start check ("--check-start") succeeds it removes "tempZOR" and starts the new
// program in its place; when it fails, it renames the old one back, renames the download to
// "tempZOR/ZOR 27.rejected" and starts the old program. On any other failure, a missing download
// included, it leaves the old program and the download as they are and starts nothing.
std::string ShellReplacementScript(long long processId, int waitSeconds = 300);
