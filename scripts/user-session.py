#!/usr/bin/env python3
"""Uses the installed program as a user would, on an X display of its own.

Starts the program from its folder, signs in as demo/demo on the folder's embedded database, picks
a year and the first semester, faculty and group with the keyboard, types a new room into the first row of the grid, saves with the
Save button, and checks that the database file holds the new room; then starts the program again
and checks that the saved room is what the grid shows after signing in. With --wine the folder holds
"ZOR 27.exe", run under Wine. Prints each step; exits non-zero at the first that fails.
"""
import argparse
import os
import sqlite3
import subprocess
import sys
import tempfile
import time

from xsession import SIGN_IN_TITLE, WINE, Display, report_output, step, stop, wait_for

def room_of(database, id_schedule):
    with sqlite3.connect(database) as db:
        return db.execute("SELECT Audience_1 FROM ControlSchedule WHERE id_schedule = ?", (id_schedule,)).fetchone()[0]


def rooms(database):
    with sqlite3.connect(database) as db:
        return dict(db.execute("SELECT id_schedule, Audience_1 FROM ControlSchedule"))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", help="the installation folder (the program and its Data folder)")
    parser.add_argument("--wine", action="store_true", help='the folder holds "ZOR 27.exe": run it under Wine')
    parser.add_argument("--screenshot", help="a PNG of the main window after the save")
    parser.add_argument("--room", default="7-777", help="the room typed into the first row")
    parser.add_argument("--year", default="2025", help="the start of the academic year to pick")
    args = parser.parse_args()

    folder = os.path.abspath(args.folder)
    database = os.path.join(folder, "Data", "demo.db")
    command = [WINE, "ZOR 27.exe"] if args.wine else [os.path.join(folder, "ZOR 27")]
    display = Display("1280x1024")
    log = tempfile.TemporaryFile()
    runs = []
    try:
        def start():
            step(f"starting {' '.join(command)} in {folder}")
            program = subprocess.Popen(command, cwd=folder, env=display.env(), stdout=log, stderr=log)
            runs.append(program)
            started = time.monotonic()
            dialog = display.window(f"^{SIGN_IN_TITLE}$")
            step(f"the sign-in dialog is shown after {time.monotonic() - started:.1f} s")
            display.type(dialog, "demo")
            display.keys(dialog, "Tab")
            display.type(dialog, "demo")
            display.keys(dialog, "Return")
            main_window = display.window("ZOR 27")
            step(f"signed in as demo: the main window is shown after {time.monotonic() - started:.1f} s")
            return program, main_window

        def pick(main_window):
            # The year selector has the focus (the others wait for it). Typing picks by the start of
            # the name, Down the next entry; the tab order is group, semester, year, faculty.
            time.sleep(1)
            display.type(main_window, args.year)
            display.keys(main_window, "shift+Tab", "Down")
            display.keys(main_window, "Tab", "Tab", "Down")
            display.keys(main_window, "shift+Tab", "shift+Tab", "shift+Tab", "Down")
            time.sleep(2)
            step(f"picked year {args.year}, then the first semester, faculty and group with the keyboard")

        def close(program, main_window):
            # As a user closes it: Alt+F4 on the main window; nothing is left unsaved, so it ends.
            display.keys(main_window, "alt+F4")
            try:
                code = program.wait(60)
            except subprocess.TimeoutExpired:
                raise RuntimeError("the program did not end after Alt+F4")
            if code != 0:
                raise RuntimeError(f"the program ended with exit code {code}")
            crashed = subprocess.run(["xdotool", "search", "--name", "^Program Error$"], env=display.env(),
                                     capture_output=True, text=True)
            if crashed.stdout.strip():
                raise RuntimeError("a program crashed (the system's crash dialog is shown)")
            step("closed with Alt+F4: the program ended with exit code 0")

        before = rooms(database)
        program, main_window = start()
        pick(main_window)
        # Group → semester → year → faculty → the grid (Save is still disabled); the room is the
        # seventh column.
        display.keys(main_window, "Tab", "Tab", "Tab", "Tab", "Home", *["Right"] * 6)
        display.keys(main_window, "F2", "ctrl+a")
        display.type(main_window, args.room)
        display.keys(main_window, "Return")
        step(f"typed {args.room!r} into the room of the first row")
        # The Save button, which the edit enabled (its place in the window is the designed one).
        display.click(main_window, 548, 14)
        wait_for(lambda: list(rooms(database).values()).count(args.room) > list(before.values()).count(args.room),
                 30, "the saved room in the database file")
        changed = [key for key, room in rooms(database).items() if before.get(key) != room]
        if len(changed) != 1:
            raise RuntimeError(f"the save changed {len(changed)} rows: {changed}")
        step(f"saved: row {changed[0]} of the database file now holds {room_of(database, changed[0])!r}")
        if args.screenshot:
            time.sleep(1)
            display.screenshot(args.screenshot)
            step(f"screenshot: {args.screenshot}")
        close(program, main_window)

        program, main_window = start()
        pick(main_window)
        if room_of(database, changed[0]) != args.room:
            raise RuntimeError("the saved room did not survive the restart")
        if args.screenshot:
            restarted = os.path.splitext(args.screenshot)[0] + "-restarted.png"
            display.screenshot(restarted)
            step(f"after a restart, the same group again: {restarted}")
        close(program, main_window)
        step("passed")
        return 0
    except Exception as error:  # every failure is reported with the program's own output
        print(f"FAILED: {error}", file=sys.stderr)
        if args.screenshot:
            failure = os.path.splitext(args.screenshot)[0] + "-failed.png"
            try:
                display.screenshot(failure)
                print(f"the screen at the failure: {failure}", file=sys.stderr)
            except Exception:
                pass
        report_output(log)
        return 1
    finally:
        stop(runs)
        display.close()


if __name__ == "__main__":
    sys.exit(main())
