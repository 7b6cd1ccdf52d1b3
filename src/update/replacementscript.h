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
// one back and starts nothing; only after a successful copy are "tempZOR" removed and the new program
// started, shown as normal (not in the script's hidden window), without waiting for it. A batch script cannot
// take the program's update lock.
std::string GuardedReplacementScript(int waitSeconds = 300);

// The POSIX shell counterpart that the program writes as "ZOR 27.sh" and runs detached elsewhere.
// It takes the program's update lock ("tempZOR/ZOR 27.lock", at most waitSeconds, once the program
// has let it go) and keeps it to the end; it waits (once a second, at most waitSeconds) for the
// process to end, copies the complete download beside the old executable and renames it over it, so
// that the old program stays until the new one is complete; then it removes "tempZOR" and starts the
// new program in its place. On any failure, a missing download included, it leaves the old program
// and "tempZOR" as they are and starts nothing.
std::string ShellReplacementScript(long long processId, int waitSeconds = 300);
