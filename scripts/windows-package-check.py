#!/usr/bin/env python3
"""The Windows package under Wine, as an administrator deploys it, on an X display of its own.

In a copy of the Wine prefix of its own (thrown away afterwards): installs the package silently
(msiexec /i … /qn); checks the installed files against the folder they were packaged from, the
Start-menu shortcut and the entry among the installed programs; writes Data\\ZOR and an embedded
database with the installed tools, as an administrator would; starts the program through its
shortcut until its sign-in dialog shows; signs in with a GET_USER that orders an update and sees
the installed copy leave it to the package (a message, no request to the update server, no file
written); upgrades with the newer package (one entry, the newer version, Data\\ untouched);
uninstalls (the package's files, shortcut and entry gone, Data\\ still there byte for byte).
Prints each step with its time; exits non-zero at the first that fails.
"""
import argparse
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

from xsession import SIGN_IN_TITLE, WINE, WINESERVER, Display, report_output, step, wait_for, wine_running
# The update server is one of the tests' HTTP servers (tests/support/http_server.py).
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from http_server import UpdateServer  # noqa: E402

NOTICE_TITLE = "Уведомление"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
ORDER_UPDATE = "SELECT '' AS f0, '' AS f1, '' AS f2, 90 AS f3, '' AS f4, 2 AS f5;"


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def product_code(package):
    """The product code that a package installs."""
    rows = subprocess.run(["msiinfo", "export", package, "Property"], check=True, capture_output=True,
                          text=True).stdout.splitlines()
    return dict(row.split("\t", 1) for row in rows[3:] if "\t" in row)["ProductCode"]


def files_below(folder):
    return sorted(os.path.relpath(os.path.join(root, name), folder)
                  for root, _, names in os.walk(folder) for name in names)


def read(path):
    with open(path, "rb") as file:
        return file.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("package", help="the package to install first")
    parser.add_argument("newer", help="a package of a later version of the same program")
    parser.add_argument("folder", help="the installed folder the packages were made from")
    parser.add_argument("--rebuilt", help="a rebuild of the first package: the same version, another product code")
    parser.add_argument("--screenshot", help="a PNG of the installed program's sign-in dialog (and beside it, "
                                             "NAME-update.png, of its answer to an update order)")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="zor27-package-")
    prefix = os.path.join(work, "prefix")
    shutil.copytree(os.environ["WINEPREFIX"], prefix, symlinks=True)
    display = Display("1024x768")
    server = UpdateServer(b"never served")
    env = dict(display.env(), WINEPREFIX=prefix, ZOR27_UPDATE_SERVER=server.address)
    installed = os.path.join(prefix, "drive_c", "Program Files", "ZOR 27")
    data = os.path.join(installed, "Data")
    log = tempfile.TemporaryFile()

    def wine(*command, check=True):
        started = time.monotonic()
        result = subprocess.run([WINE, *command], env=env, stdout=log, stderr=log, timeout=300)
        if check and result.returncode != 0:
            raise RuntimeError(f"{' '.join(command)} ended with exit code {result.returncode}")
        return time.monotonic() - started

    def msiexec(*command):
        return wine("msiexec", *command, "/qn")

    def entries():
        """The installed programs named ZOR 27, each as its values."""
        query = subprocess.run([WINE, "reg", "query", UNINSTALL_KEY, "/s"], env=env, capture_output=True,
                               text=True, timeout=60).stdout
        found = []
        for block in re.split(r"\r?\n(?=HKEY_)", query):
            values = dict(re.findall(r"^[ \t]+(\w+)[ \t]+REG_\w+[ \t]*(.*?)[ \t\r]*$", block, re.MULTILINE))
            values["Key"] = block.strip().splitlines()[0].strip() if block.strip() else ""
            if values.get("DisplayName") == "ZOR 27":
                found.append(values)
        return found

    def shortcuts():
        drive = os.path.join(prefix, "drive_c")
        return [os.path.join(root, name) for root, _, names in os.walk(drive) for name in names
                if name == "ZOR 27.lnk" and "Start Menu" in root]

    def programs_running():
        return wine_running(prefix, r"ZOR 27\.exe")

    try:
        took = msiexec("/i", windows_path(args.package))
        step(f"msiexec /i {os.path.basename(args.package)} /qn: installed in {took:.1f} s")
        expected = [name for name in files_below(args.folder) if not name.startswith("Data" + os.sep)]
        if files_below(installed) != expected:
            raise RuntimeError(f"installed files differ: {sorted(set(files_below(installed)) ^ set(expected))}")
        for name in expected:
            if read(os.path.join(installed, name)) != read(os.path.join(args.folder, name)):
                raise RuntimeError(f"{name} differs from the packaged folder's")
        step(f"Program Files\\ZOR 27 holds the {len(expected)} files of the folder byte for byte, and no Data\\")
        links = shortcuts()
        target = read(links[0]) if len(links) == 1 else b""
        if "ZOR 27.exe".encode("utf-16-le") not in target and b"ZOR 27.exe" not in target:
            raise RuntimeError(f"the Start-menu shortcut: {links}")
        found = entries()
        if len(found) != 1:
            raise RuntimeError(f"{len(found)} entries for ZOR 27 among the installed programs")
        first_version = found[0].get("DisplayVersion")
        step(f"the shortcut {os.path.relpath(links[0], prefix)}; one installed program \"ZOR 27\" "
             f"{first_version}, removed by \"{found[0].get('UninstallString')}\"")

        # The administrator's part: the site's bootstrap file and, here, an embedded database.
        tools = "C:\\Program Files\\ZOR 27\\"
        wine(tools + "zor27-makedb.exe", tools + "Data\\demo.db")
        wine(tools + "zor27-config.exe", "write", "--user", "zor_boot", "--password", "boot", "--server",
             "embedded", "--database", "demo.db")
        if not os.path.isfile(os.path.join(data, "ZOR")):
            raise RuntimeError("zor27-config.exe did not write Data\\ZOR beside the installed program")
        with sqlite3.connect(os.path.join(data, "demo.db")) as db:
            db.execute("UPDATE sys_procedures SET body = ? WHERE lower(name) = 'get_user'", (ORDER_UPDATE,))
        site_data = {name: read(os.path.join(data, name)) for name in os.listdir(data)}
        step("the installed zor27-config.exe wrote Data\\ZOR (and zor27-makedb.exe Data\\demo.db) beside it")

        started = time.monotonic()
        subprocess.Popen([WINE, "start", "/unix", links[0]], env=env, stdout=log, stderr=log).wait(60)
        dialog = display.window(f"^{SIGN_IN_TITLE}$")
        step(f"started through its shortcut: the sign-in dialog after {time.monotonic() - started:.1f} s")
        if args.screenshot:
            time.sleep(1)
            display.screenshot(args.screenshot)
            step(f"screenshot: {args.screenshot}")

        display.type(dialog, "demo")
        display.keys(dialog, "Tab")
        display.type(dialog, "demo")
        display.keys(dialog, "Return")
        notice = display.window(f"^{NOTICE_TITLE}$", timeout=60)
        if args.screenshot:
            time.sleep(1)
            display.screenshot(os.path.splitext(args.screenshot)[0] + "-update.png")
        display.keys(notice, "Return")
        wait_for(lambda: not programs_running(), 60, "the program ended after its message")
        if server.requests:
            raise RuntimeError(f"the installed program asked the update server: {server.requests}")
        leftovers = [name for name in ("tempZOR", "ZOR 27.bat") if os.path.exists(os.path.join(installed, name))]
        if leftovers:
            raise RuntimeError(f"the installed program wrote {leftovers}")
        step("an update ordered at sign-in: the installed copy said so and ended, "
             "with no request to the update server and no file written")

        if args.rebuilt:
            took = msiexec("/i", windows_path(args.rebuilt))
            found = entries()
            code = product_code(args.rebuilt)
            if len(found) != 1 or not found[0]["Key"].upper().endswith(code.upper()):
                raise RuntimeError(f"after installing a rebuild of {first_version}: "
                                   f"{[entry['Key'] for entry in found]}, the rebuild being {code}")
            if {name: read(os.path.join(data, name)) for name in os.listdir(data)} != site_data:
                raise RuntimeError("the rebuild changed Data\\")
            for name in expected:
                if read(os.path.join(installed, name)) != read(os.path.join(args.folder, name)):
                    raise RuntimeError(f"after the rebuild {name} differs from the packaged folder's")
            step(f"msiexec /i {os.path.basename(args.rebuilt)} /qn (the same version rebuilt, product {code}): "
                 f"replaced the installed one in {took:.1f} s; one entry, Data\\ unchanged")

        took = msiexec("/i", windows_path(args.newer))
        found = entries()
        if len(found) != 1 or found[0].get("DisplayVersion") == first_version:
            raise RuntimeError(f"after the upgrade: {[entry.get('DisplayVersion') for entry in found]}")
        if {name: read(os.path.join(data, name)) for name in os.listdir(data)} != site_data:
            raise RuntimeError("the upgrade changed Data\\")
        if not os.path.isfile(os.path.join(installed, "ZOR 27.exe")):
            raise RuntimeError("the upgrade left no program")
        step(f"msiexec /i {os.path.basename(args.newer)} /qn: upgraded in {took:.1f} s to "
             f"{found[0].get('DisplayVersion')}, one entry, Data\\ unchanged")

        took = msiexec("/x", windows_path(args.newer))
        left = files_below(installed)
        if left != sorted(os.path.join("Data", name) for name in site_data):
            raise RuntimeError(f"after the removal the folder holds {left}")
        if {name: read(os.path.join(data, name)) for name in os.listdir(data)} != site_data:
            raise RuntimeError("the removal changed Data\\")
        if entries() or shortcuts():
            raise RuntimeError("the removal left its entry or its shortcut")
        step(f"msiexec /x … /qn: removed in {took:.1f} s; the shortcut and the entry are gone, "
             f"Data\\ZOR and Data\\demo.db are still there byte for byte")
        step("passed")
        return 0
    except Exception as error:  # every failure is reported with the programs' own output
        print(f"FAILED: {error}", file=sys.stderr)
        report_output(log, "The programs' output")
        return 1
    finally:
        subprocess.run([WINESERVER, "-k"], env=env, capture_output=True)
        server.close()
        display.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
