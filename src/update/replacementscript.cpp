#include "replacementscript.h"

#include <initializer_list>

namespace {

std::string joinLines(std::initializer_list<std::string> lines, const char* lineEnd) {
    std::string text;
    for (const std::string& line : lines)
        text += line + lineEnd;
    return text;
}

} // namespace

// The new program is started with START: started directly it would inherit the hidden window of the
// interpreter (the program runs the script hidden) and show no window at all; START shows it as
// normal, and the interpreter ends at once instead of waiting hidden for the program.
// The work runs as a subroutine whose output goes to "tempZOR\ZOR 27.run": the interpreter holds that
// file open until the subroutine returns, and a copy of the program that cannot delete it knows that
// a script is still at work there. The program is started only after the subroutine, so that it
// inherits no handle of that file.
// The new program must pass its start check ("--check-start": everything loaded, exit code 0) before
// it stays; a loader's failure gives a code that may be negative, hence the comparison with 0.
// Only what every command interpreter down to Wine's knows: no "||" (Wine's runs both sides), no
// TIMEOUT (Wine has none); two echo requests to the local host one second apart make the pause.
std::string GuardedReplacementScript(int waitSeconds) {
    return joinLines(
        {
            "@ECHO OFF",
            "SET ZOR_PROG=ZOR 27",
            "SET ZOR_HOME=%CD%",
            "SET ZOR_TEMP=%ZOR_HOME%\\tempZOR",
            "SET ZOR_KEEP=%ZOR_TEMP%\\%ZOR_PROG%.old",
            "SET ZOR_TRIES=0",
            "SET ZOR_START=",
            "IF NOT EXIST \"%ZOR_TEMP%\\%ZOR_PROG%.exe\" GOTO :EOF",
            "CALL :replace >>\"%ZOR_TEMP%\\%ZOR_PROG%.run\" 2>NUL",
            "IF \"%ZOR_START%\"==\"\" GOTO :EOF",
            "IF \"%ZOR_START%\"==\"new\" RD /S /Q \"%ZOR_TEMP%\"",
            "START \"\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\"",
            "GOTO :EOF",
            ":replace",
            "IF NOT EXIST \"%ZOR_HOME%\\%ZOR_PROG%.exe\" GOTO do_copy",
            "COPY /Y /B \"%ZOR_HOME%\\%ZOR_PROG%.exe\" \"%ZOR_KEEP%\" >NUL",
            "IF ERRORLEVEL 1 GOTO :EOF",
            ":do_del",
            "DEL /Q \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL 2>NUL",
            "IF NOT EXIST \"%ZOR_HOME%\\%ZOR_PROG%.exe\" GOTO do_copy",
            "SET /A ZOR_TRIES+=1",
            "IF %ZOR_TRIES% GEQ " + std::to_string(waitSeconds) + " GOTO give_up",
            "PING -n 2 127.0.0.1 >NUL",
            "GOTO do_del",
            ":do_copy",
            "COPY /Y /B \"%ZOR_TEMP%\\%ZOR_PROG%.exe\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL",
            "IF ERRORLEVEL 1 GOTO do_restore",
            "START \"\" /WAIT \"%ZOR_HOME%\\%ZOR_PROG%.exe\" --check-start",
            "IF %ERRORLEVEL% NEQ 0 GOTO do_rollback",
            "SET ZOR_START=new",
            "GOTO :EOF",
            ":do_restore",
            "IF NOT EXIST \"%ZOR_KEEP%\" GOTO :EOF",
            "DEL /Q \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL 2>NUL",
            "MOVE /Y \"%ZOR_KEEP%\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL",
            "GOTO :EOF",
            ":do_rollback",
            "IF NOT EXIST \"%ZOR_KEEP%\" GOTO :EOF",
            "DEL /Q \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL 2>NUL",
            "MOVE /Y \"%ZOR_KEEP%\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL",
            "IF ERRORLEVEL 1 GOTO :EOF",
            "MOVE /Y \"%ZOR_TEMP%\\%ZOR_PROG%.exe\" \"%ZOR_TEMP%\\%ZOR_PROG%.rejected\" >NUL",
            "SET ZOR_START=old",
            "GOTO :EOF",
            ":give_up",
            "DEL /Q \"%ZOR_KEEP%\" >NUL 2>NUL",
            "GOTO :EOF",
        },
        "\r\n");
}

// A running executable can be removed here, so the script watches the process instead; the rename
// replaces the old file in one step. It holds the program's update lock (util-linux flock on
// descriptor 9) from the moment the program lets it go until it is done, so that no copy of the
// program started meanwhile downloads into "tempZOR" while it copies from there and removes it.
// The new program must pass its start check ("--check-start", at most CheckSeconds) before it
// stays; otherwise the old one, kept in "tempZOR", is renamed back and started.
std::string ShellReplacementScript(long long processId, int waitSeconds) {
    constexpr int CheckSeconds = 120;
    const std::string wait = std::to_string(waitSeconds);
    return joinLines(
        {
            "ZOR_PROG='ZOR 27'",
            "ZOR_HOME=$(pwd)",
            "ZOR_TEMP=\"$ZOR_HOME/tempZOR\"",
            "ZOR_KEEP=\"$ZOR_TEMP/$ZOR_PROG.old\"",
            "ZOR_PID=" + std::to_string(processId),
            "ZOR_TRIES=0",
            "[ -d \"$ZOR_TEMP\" ] || exit 1",
            "exec 9>>\"$ZOR_TEMP/$ZOR_PROG.lock\"",
            "flock -w " + wait + " 9 || exit 1",
            "while kill -0 \"$ZOR_PID\" 2>/dev/null; do",
            "    ZOR_TRIES=$((ZOR_TRIES + 1))",
            "    [ \"$ZOR_TRIES\" -le " + wait + " ] || exit 1",
            "    sleep 1",
            "done",
            "[ -e \"$ZOR_TEMP/$ZOR_PROG\" ] || exit 1",
            "rm -f \"$ZOR_KEEP\"",
            "if [ -e \"$ZOR_HOME/$ZOR_PROG\" ] && ! cp -p \"$ZOR_HOME/$ZOR_PROG\" \"$ZOR_KEEP\"; then",
            "    rm -f \"$ZOR_KEEP\"",
            "    exit 1",
            "fi",
            "if ! { cp \"$ZOR_TEMP/$ZOR_PROG\" \"$ZOR_HOME/$ZOR_PROG.new\" &&",
            "       chmod +x \"$ZOR_HOME/$ZOR_PROG.new\" &&",
            "       mv -f \"$ZOR_HOME/$ZOR_PROG.new\" \"$ZOR_HOME/$ZOR_PROG\"; }; then",
            "    rm -f \"$ZOR_HOME/$ZOR_PROG.new\" \"$ZOR_KEEP\"",
            "    exit 1",
            "fi",
            "if ! timeout " + std::to_string(CheckSeconds) +
                " \"$ZOR_HOME/$ZOR_PROG\" --check-start </dev/null >/dev/null 2>&1; then",
            "    [ -e \"$ZOR_KEEP\" ] && mv -f \"$ZOR_KEEP\" \"$ZOR_HOME/$ZOR_PROG\" || exit 1",
            "    mv -f \"$ZOR_TEMP/$ZOR_PROG\" \"$ZOR_TEMP/$ZOR_PROG.rejected\"",
            "    exec 9>&-",
            "    exec \"$ZOR_HOME/$ZOR_PROG\"",
            "fi",
            "rm -rf \"$ZOR_TEMP\"",
            "exec 9>&-",
            "exec \"$ZOR_HOME/$ZOR_PROG\"",
        },
        "\n");
}
