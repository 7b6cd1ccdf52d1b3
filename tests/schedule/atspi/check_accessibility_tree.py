#!/usr/bin/env python3
"""What a screen reader receives of the main window over AT-SPI.

Usage: check_accessibility_tree.py ACCESSIBLE_WINDOW_PROGRAM

Runs on a private session bus of its own (it restarts itself under dbus-run-session), whose
org.a11y.Bus activation starts at-spi2-core's bus launcher and registry; the window program runs
on the xcb platform of a private Xvfb with the toolkit's AT-SPI bridge forced on. Checks the four
selectors (names from their labels, shown texts, their lists' entries), the grid's current cell
(column title and text) and the grid's drop-downs (the list of control types, the month
calendar). Exits 0 when all holds, 1 with the failures listed otherwise."""
import os
import sqlite3
import subprocess
import sys
import time

if os.environ.get("ZOR_PRIVATE_SESSION_BUS") != "1":
    os.environ["ZOR_PRIVATE_SESSION_BUS"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])

import gi  # noqa: E402

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

TITLE = "ZOR 27 График проведения контроля"
SELECTORS = [
    ("Выберите год:", "2025/2026"),
    ("Выберите семестр:", "1-й семестр (осенний)"),
    ("Выберите Факультет:", "Факультет информационных технологий"),
    ("Выберите группу:", "ИВТ-231"),
]
TYPE_TITLE = "Компьютерное, бланочное тестирование: вид контроля"
DATE_TITLE = "Компьютерное, бланочное тестирование: Дата"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            raise SystemExit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


class Window:
    """The window program, driven through its standard input."""

    def __init__(self, program, display):
        environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        env=environment, text=True, encoding="utf-8")
        line = self.process.stdout.readline().strip()
        if not line.startswith("ready "):
            raise SystemExit(f"the window did not come up: {line!r}")
        self.database = line[len("ready "):]

    def run(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        time.sleep(0.2)
        return check(answer == "done " + command, f"the window program did {command!r}: {answer!r}")

    def end(self):
        try:
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (subprocess.TimeoutExpired, BrokenPipeError):
            self.process.kill()
            self.process.wait()


def children(node):
    return [node.get_child_at_index(i) for i in range(node.get_child_count())]


def walk(node, depth=0):
    for child in children(node):
        if child is None:
            continue
        yield child
        if depth < 12:
            yield from walk(child, depth + 1)


def find(node, role, name=None):
    return [each for each in walk(node)
            if each.get_role() == role and (name is None or each.get_name() == name)]


def text_of(node):
    if "Text" not in node.get_interfaces():
        return None
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


def drop_downs(grid):
    # A drop-down is a window of its own; the toolkit hands windows to AT-SPI as frames.
    return [child for child in children(grid) if child.get_role() in (Atspi.Role.FRAME, Atspi.Role.WINDOW)]


def has_state(node, state):
    return node.get_state_set().contains(state)


def application_of(pid):
    for _ in range(100):
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app is not None and app.get_process_id() == pid:
                app.set_cache_mask(Atspi.Cache.NONE)
                return app
        time.sleep(0.2)
    raise SystemExit("the window's application never reached the AT-SPI registry")


def main():
    program = sys.argv[1]
    server, display = start_xvfb()
    window = None
    try:
        window = Window(program, display)
        with sqlite3.connect(window.database) as db:
            years = sorted(row[0] for row in db.execute("SELECT DISTINCT p32 FROM InfoForRating"))
            types = sorted(row[0] for row in db.execute("SELECT typeControl FROM TypeControl"))
        app = application_of(window.process.pid)
        frames = find(app, Atspi.Role.FRAME, TITLE)
        if not check(len(frames) == 1, f"one main window named {TITLE!r}"):
            return
        frame = frames[0]

        def combo(name):
            found = find(frame, Atspi.Role.COMBO_BOX, name)
            check(len(found) == 1, f"one combo box named {name!r}, found {len(found)}")
            return found[0] if found else None

        def entries(box):
            lists = [child for child in children(box) if child.get_role() == Atspi.Role.LIST]
            if not check(len(lists) == 1, f"{box.get_name()!r} has its list as child"):
                return None, []
            items = children(lists[0])
            check(all(item.get_role() == Atspi.Role.LIST_ITEM for item in items),
                  f"the entries of {box.get_name()!r} are list items")
            return lists[0], [item.get_name() for item in items]

        # Signed in: the year selector offers the years, nothing is chosen.
        for name, _ in SELECTORS:
            box = combo(name)
            if box is not None:
                check(text_of(box) == "", f"{name!r} shows nothing yet, not {text_of(box)!r}")
        year = combo(SELECTORS[0][0])
        if year is not None:
            _, shown = entries(year)
            check(sorted(shown) == years, f"the year list holds {years}, not {shown}")

        # A group picked: each selector shows its choice; the current cell has title and text.
        window.run("pick")
        app.clear_cache()
        for name, picked in SELECTORS:
            box = combo(name)
            if box is not None:
                check(text_of(box) == picked, f"{name!r} shows {picked!r}, not {text_of(box)!r}")
        tables = find(frame, Atspi.Role.TABLE)
        grid = tables[0] if len(tables) == 1 else None
        if check(grid is not None, f"one table (the grid) in the window, found {len(tables)}"):
            cells = [child for child in children(grid) if child.get_role() == Atspi.Role.TABLE_CELL]
            if check(len(cells) == 1, "the grid has its current cell as child"):
                cell = cells[0]
                check(cell.get_name() == TYPE_TITLE, f"the cell is named {TYPE_TITLE!r}, not {cell.get_name()!r}")
                check(text_of(cell) in types, f"the cell's text {text_of(cell)!r} is a type of control")
                editors = find(grid, Atspi.Role.TEXT, TYPE_TITLE)
                check(len(editors) == 1 and text_of(editors[0]) == text_of(cell),
                      "the cell editor is named after the column and shows the cell's text")

        # The grid's list of control types, then its month calendar, under the grid.
        window.run("list")
        app.clear_cache()
        if grid is not None:
            popups = drop_downs(grid)
            if check(len(popups) == 1, "the open list is the grid's child"):
                check(popups[0].get_name() == TYPE_TITLE, f"the list is named {TYPE_TITLE!r}")
                lists = find(popups[0], Atspi.Role.LIST)
                if check(len(lists) == 1, "the drop-down holds a list"):
                    shown = sorted(item.get_name() for item in children(lists[0]))
                    check(shown == types, f"the list holds the control types {types}, not {shown}")
        window.run("calendar")
        app.clear_cache()
        if grid is not None:
            popups = drop_downs(grid)
            if check(len(popups) == 1, "the open calendar is the grid's child"):
                check(popups[0].get_name() == DATE_TITLE, f"the calendar is named {DATE_TITLE!r}")
                days = [each for each in walk(popups[0]) if each.get_name() == "15"]
                check(len(days) >= 1, "the calendar's days are in the tree")

        # An open selector list: on the screen, the chosen entry selected.
        window.run("selector")
        app.clear_cache()
        faculty = combo(SELECTORS[2][0])
        if faculty is not None:
            faculty_list, shown = entries(faculty)
            check(SELECTORS[2][1] in shown, f"the faculty list holds {SELECTORS[2][1]!r}")
            if faculty_list is not None:
                check(has_state(faculty_list, Atspi.StateType.SHOWING), "the open list is showing")
                selected = [item.get_name() for item in children(faculty_list)
                            if has_state(item, Atspi.StateType.SELECTED)]
                check(selected == [SELECTORS[2][1]], f"the chosen faculty is selected, not {selected}")
    finally:
        if window is not None:
            window.end()
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()
    for failure in failures:
        print("FAILED:", failure)
    print("checked the accessibility tree over AT-SPI:", "ok" if not failures else f"{len(failures)} failures")
    sys.exit(1 if failures else 0)
