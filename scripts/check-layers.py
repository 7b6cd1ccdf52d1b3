#!/usr/bin/env python3
"""Checks the include graph of src/: a folder includes only from itself and from folders to its right
in LAYERS, and only src/platform includes system headers (the ODBC headers in src/data/odbc and
SQLite's in src/data/embedded excepted). Prints every offending include; exits 1 when there is one."""
import pathlib
import re
import sys

LAYERS = ["app", "schedule", "signin", "update", "context", "datamodule", "grid", "data", "platform"]
# Library headers that are not the operating system's, with the folders that may use them.
LIBRARY_HEADERS = {"sqlite3.h": "data/embedded", "sql.h": "data/odbc", "sqlext.h": "data/odbc",
                   "sqlucode.h": "data/odbc", "curl/curl.h": "platform",
                   "xlsxwriter.h": "schedule/report",
                   # the ODBC headers need the base types of windows.h on Windows
                   "windows.h": "data/odbc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(folder):
    top = folder.split("/")[0]
    return LAYERS.index(top) if top in LAYERS else None


def included_folder(src, including, name):
    """The folder below src of a quoted include: relative to the including file when it names a file
    there ("../schedule/tform1.h"), else relative to src ("schedule/tform1.h"); None outside src."""
    for base in (including.parent, src):
        candidate = (base / name).resolve()
        if candidate.exists() or base == src:
            try:
                return candidate.parent.relative_to(src.resolve()).as_posix()
            except ValueError:
                return None
    return None


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "src")
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.parent.relative_to(src).as_posix()
        own = layer_of(folder)
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, name = match.groups()
            where = f"{path.relative_to(src)}:{number}: {name}"
            if kind == '"' and "/" in name:
                target_folder = included_folder(src, path, name)
                target = layer_of(target_folder) if target_folder is not None else None
                if own is not None and target is not None and target < own:
                    faults.append(f"{where} includes from a folder to the left")
            elif kind == "<" and name.endswith(".h") and not folder.startswith("platform"):
                allowed = LIBRARY_HEADERS.get(name)
                if allowed is None or not folder.startswith(allowed):
                    faults.append(f"{where} is a system header outside src/platform")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
