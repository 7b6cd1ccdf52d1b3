#!/usr/bin/env python3
"""The update of the Windows program, end to end under Wine, on an X display of its own.

A copy of the installed folder in a writable place gets an embedded database whose GET_USER orders
an update. An HTTP server here (127.0.0.1) stands in for the update server and answers the
program's WinInet request for /zorprogs/ZOR 27.exe in turn with an error page, a truncated body, an
empty body, a portal's page with status 200 and nothing at all (each time: the message box shows, a
silent server's within the program's 30 s limit while the server still holds the request, the
program ends, its executable is unchanged byte for byte and no script is left). Then with a build
that the loader cannot start (an imported DLL renamed): the real "ZOR 27.bat" puts it in place,
finds that it does not start, puts the old program back and starts it. Then with the next build,
while a second copy runs from the same folder: the first copy ends and its script waits for the
second; the second, signing in, says that the update is under way and ends without a request; the
script puts the served file in place byte for byte, removes tempZOR and starts it, and the new
program's sign-in dialog deletes the script. The programs are started from another working
directory than their folder, as a shortcut elsewhere would. Prints each step with its time; exits
non-zero at the first that fails.
"""
import argparse
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

from xsession import SIGN_IN_TITLE, WINE, Display, report_output, step, stop, wait_for, wine_running
# The update server is one of the tests' HTTP servers (tests/support/http_server.py).
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from http_server import UPDATE_PATH, UpdateServer  # noqa: E402

NOTICE_TITLE = "Уведомление"
ORDER_UPDATE = "SELECT '' AS f0, '' AS f1, '' AS f2, 90 AS f3, '' AS f4, 2 AS f5;"


def read(path):
    with open(path, "rb") as file:
        return file.read()


def unstartable(program):
    """The program with the name of the first DLL of its import table changed to one that no system
    has, as a build against another toolkit looks to the loader."""
    image = bytearray(program)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    sections = int.from_bytes(image[pe + 6:pe + 8], "little")
    optional = pe + 24
    optional_size = int.from_bytes(image[pe + 20:pe + 22], "little")
    imports = int.from_bytes(image[optional + 120:optional + 124], "little")  # PE32+: data directory 1

    def offset(rva):
        for index in range(sections):
            entry = optional + optional_size + 40 * index
            size, address, _, raw = (int.from_bytes(image[entry + at:entry + at + 4], "little")
                                     for at in (8, 12, 16, 20))
            if address <= rva < address + size:
                return rva - address + raw
        raise RuntimeError(f"no section holds RVA {rva:#x}")

    name = offset(int.from_bytes(image[offset(imports) + 12:offset(imports) + 16], "little"))
    image[name:name + 3] = b"ZQX"
    return bytes(image)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", help='the installed folder of the Windows program ("ZOR 27.exe", Data\\)')
    parser.add_argument("--screenshot", help="a PNG of the screen with the update server's message")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="zor27-update-")
    home = os.path.join(work, "ZOR 27")
    shutil.copytree(args.folder, home)
    program = os.path.join(home, "ZOR 27.exe")
    script = os.path.join(home, "ZOR 27.bat")
    temp_folder = os.path.join(home, "tempZOR")
    with sqlite3.connect(os.path.join(home, "Data", "demo.db")) as db:
        db.execute("UPDATE sys_procedures SET body = ? WHERE lower(name) = 'get_user'", (ORDER_UPDATE,))
    old_program = read(program)
    # The next build: the same program with a mark after its last byte, which keeps it runnable and
    # tells it from the running one.
    new_program = old_program + b"\r\nzor27 next build\r\n"
    server = UpdateServer(new_program)
    env_extra = {"ZOR27_UPDATE_SERVER": server.address}
    display = Display("1024x768")
    env = dict(display.env(), **env_extra)
    prefix = env["WINEPREFIX"]
    log = tempfile.TemporaryFile()
    runs = []
    try:
        def sign_in():
            program_run = subprocess.Popen([WINE, program], cwd=work, env=env, stdout=log, stderr=log)
            runs.append(program_run)
            dialog = display.window(f"^{SIGN_IN_TITLE}$")
            display.type(dialog, "demo")
            display.keys(dialog, "Tab")
            display.type(dialog, "demo")
            display.keys(dialog, "Return")
            return program_run, time.monotonic()

        for mode, what in (("error", "an error page (404)"), ("truncated", "a body cut off at half"),
                           ("empty", "an empty body"), ("html", "a portal's page with status 200"),
                           ("silent", "a server that accepts and sends nothing")):
            server.mode = mode
            requests_before = len(server.requests)
            program_run, signed_in = sign_in()
            notice = display.window(f"^{NOTICE_TITLE}$", timeout=90)
            shown = time.monotonic() - signed_in
            if server.held:
                raise RuntimeError(f"the message came only after the server let go ({shown:.1f} s)")
            if args.screenshot and mode == "error":
                display.screenshot(args.screenshot)
            display.keys(notice, "Return")
            code = program_run.wait(60)
            if code != 0:
                raise RuntimeError(f"the program ended with exit code {code}")
            if read(program) != old_program:
                raise RuntimeError("the program's executable changed")
            if os.path.exists(script):
                raise RuntimeError("a replacement script was written")
            if os.path.exists(os.path.join(temp_folder, "ZOR 27.exe")):
                raise RuntimeError("a download was left in tempZOR")
            if server.requests[requests_before:] != [(UPDATE_PATH, "ZOR 27.exe")]:
                raise RuntimeError(f"unexpected requests: {server.requests[requests_before:]}")
            step(f"{what}: the message after {shown:.1f} s, the program ended (exit code 0), "
                 "its executable unchanged byte for byte, no script")

        server.mode = "full"
        server.body = unstartable(old_program)
        program_run, signed_in = sign_in()
        code = program_run.wait(60)
        if code != 0:
            raise RuntimeError(f"the old program ended with exit code {code}")
        # The old program has ended: a sign-in dialog now is the old program's, started again.
        display.window(f"^{SIGN_IN_TITLE}$", timeout=120)
        started = time.monotonic() - signed_in
        if read(program) != old_program:
            raise RuntimeError("the executable is not the old one")
        rejected = os.path.join(temp_folder, "ZOR 27.rejected")
        if not os.path.exists(rejected) or read(rejected) != server.body:
            raise RuntimeError("the build that cannot start is not kept aside as ZOR 27.rejected")
        if os.path.exists(os.path.join(temp_folder, "ZOR 27.exe")):
            raise RuntimeError("the build that cannot start is still there to be installed")
        wait_for(lambda: not os.path.exists(script), 30, "the script deleted by the old program")
        step(f"a build that cannot start (imported DLL renamed): the old program back byte for byte and its "
             f"sign-in dialog shown {started:.1f} s after the sign-in; the served file kept aside")
        display.keys(display.window(f"^{SIGN_IN_TITLE}$"), "alt+F4")
        wait_for(lambda: not wine_running(prefix, r"ZOR 27\.(exe|bat)"), 60, "the old program ended")

        # A second copy from the same folder is running when the first one updates it.
        server.body = new_program
        second = subprocess.Popen([WINE, program], cwd=work, env=env, stdout=log, stderr=log)
        runs.append(second)
        second_dialog = display.window(f"^{SIGN_IN_TITLE}$")
        program_run = subprocess.Popen([WINE, program], cwd=work, env=env, stdout=log, stderr=log)
        runs.append(program_run)
        wait_for(lambda: len(display.windows(f"^{SIGN_IN_TITLE}$")) == 2, 90, "the first copy's sign-in dialog")
        first_dialog = [window for window in display.windows(f"^{SIGN_IN_TITLE}$") if window != second_dialog][0]
        display.type(first_dialog, "demo")
        display.keys(first_dialog, "Tab")
        display.type(first_dialog, "demo")
        display.keys(first_dialog, "Return")
        signed_in = time.monotonic()
        code = program_run.wait(60)
        ended = time.monotonic() - signed_in
        if code != 0:
            raise RuntimeError(f"the old program ended with exit code {code}")
        step(f"the next build served: the first copy ended {ended:.1f} s after the sign-in (exit code 0)")
        wait_for(lambda: os.path.exists(os.path.join(temp_folder, "ZOR 27.run")), 30, "the script at work")
        requests_before = len(server.requests)
        display.type(second_dialog, "demo")
        display.keys(second_dialog, "Tab")
        display.type(second_dialog, "demo")
        display.keys(second_dialog, "Return")
        notice = display.window(f"^{NOTICE_TITLE}$", timeout=60)
        display.keys(notice, "Return")
        code = second.wait(60)
        if code != 0:
            raise RuntimeError(f"the second copy ended with exit code {code}")
        if server.requests[requests_before:]:
            raise RuntimeError(f"the second copy downloaded: {server.requests[requests_before:]}")
        step("the second copy, signing in while the first copy's script waits for it, said that the update "
             "is under way and ended (exit code 0) without a request")
        # Both copies have ended, and their windows with them: a sign-in dialog now is the new program's.
        display.window(f"^{SIGN_IN_TITLE}$", timeout=120)
        started = time.monotonic() - signed_in
        step(f"the new program's sign-in dialog is shown {started:.1f} s after the sign-in")
        if read(program) != new_program:
            raise RuntimeError("the executable is not the served one")
        wait_for(lambda: not os.path.exists(script), 30, "the script deleted by the new program")
        if os.path.exists(temp_folder):
            raise RuntimeError("tempZOR is still there")
        step(f"the executable is the served file byte for byte ({len(new_program)} bytes), tempZOR is gone, "
             "the new program deleted the script")
        # The new program ends as a user closes it; the interpreter that started it ends with it.
        display.keys(display.window(f"^{SIGN_IN_TITLE}$"), "alt+F4")
        wait_for(lambda: not wine_running(prefix, r"ZOR 27\.(exe|bat)"), 60, "the new program and its script ended")
        step("passed")
        return 0
    except Exception as error:  # every failure is reported with the program's own output
        print(f"FAILED: {error}", file=sys.stderr)
        windows = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ".", "getwindowname", "%@"],
                                 env=display.env(), capture_output=True, text=True).stdout.split("\n")
        print(f"  windows shown: {[name for name in windows if name]}", file=sys.stderr)
        for root, _, names in os.walk(home):
            if "Data" not in root and "db" not in root:
                for name in names:
                    path = os.path.join(root, name)
                    print(f"  {os.path.relpath(path, work)}: {os.path.getsize(path)} bytes", file=sys.stderr)
        report_output(log)
        return 1
    finally:
        stop(runs)
        server.close()
        display.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
