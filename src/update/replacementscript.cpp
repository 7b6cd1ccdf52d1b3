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
            "IF NOT EXIST \"%ZOR_TEMP%\\%ZOR_PROG%.exe\" GOTO :EOF",
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
            "RD /S /Q \"%ZOR_TEMP%\"",
            "START \"\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\"",
            "GOTO :EOF",
            ":do_restore",
            "IF NOT EXIST \"%ZOR_KEEP%\" GOTO :EOF",
            "DEL /Q \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL 2>NUL",
            "MOVE /Y \"%ZOR_KEEP%\" \"%ZOR_HOME%\\%ZOR_PROG%.exe\" >NUL",
            "GOTO :EOF",
            ":give_up",
            "DEL /Q \"%ZOR_KEEP%\" >NUL 2>NUL",
        },
        "\r\n");
}

// A running executable can be removed here, so the script watches the process instead; the rename
// replaces the old file in one step. It holds the program's update lock (util-linux flock on
// descriptor 9) from the moment the program lets it go until it is done, so that no copy of the
// program started meanwhile downloads into "tempZOR" while it copies from there and removes it.
std::string ShellReplacementScript(long long processId, int waitSeconds) {
    const std::string wait = std::to_string(waitSeconds);
    return joinLines(
        {
            "ZOR_PROG='ZOR 27'",
            "ZOR_HOME=$(pwd)",
            "ZOR_TEMP=\"$ZOR_HOME/tempZOR\"",
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
            "if ! { cp \"$ZOR_TEMP/$ZOR_PROG\" \"$ZOR_HOME/$ZOR_PROG.new\" &&",
            "       chmod +x \"$ZOR_HOME/$ZOR_PROG.new\" &&",
            "       mv -f \"$ZOR_HOME/$ZOR_PROG.new\" \"$ZOR_HOME/$ZOR_PROG\"; }; then",
            "    rm -f \"$ZOR_HOME/$ZOR_PROG.new\"",
            "    exit 1",
            "fi",
            "rm -rf \"$ZOR_TEMP\"",
            "exec 9>&-",
            "exec \"$ZOR_HOME/$ZOR_PROG\"",
        },
        "\n");
}
