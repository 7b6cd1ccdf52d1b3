#!/usr/bin/env python3
"""The layer check itself: a planted tree with one forbidden include, in each spelling, fails it; the
same tree with allowed includes (to the right, within a folder, relative or not) passes."""
import pathlib
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(sys.argv[1])


def run(files):
    with tempfile.TemporaryDirectory() as folder:
        src = pathlib.Path(folder) / "src"
        for name, text in files.items():
            (src / name).parent.mkdir(parents=True, exist_ok=True)
            (src / name).write_text(text, encoding="utf-8")
        return subprocess.run([sys.executable, str(CHECK), str(src)], capture_output=True, text=True)


BASE = {"schedule/tform1.h": "#pragma once\n", "data/field.h": "#pragma once\n",
        "platform/filelock.h": "#pragma once\n", "platform/posix/filelock_posix.cpp": '#include "../filelock.h"\n'}
cases = [
    ("a folder to the left, from src", '#include "schedule/tform1.h"\n', 1),
    ("a folder to the left, relative", '#include "../schedule/tform1.h"\n', 1),
    ("a folder to the right, from src", '#include "platform/filelock.h"\n', 0),
    ("a folder to the right, relative", '#include "../platform/filelock.h"\n', 0),
    ("its own folder", '#include "field.h"\n', 0),
]
failed = False
for name, include, expected in cases:
    result = run(dict(BASE, **{"data/field.cpp": include}))
    if result.returncode != expected:
        print(f"{name}: exit {result.returncode}, expected {expected}: {result.stdout.strip()}")
        failed = True
sys.exit(1 if failed else 0)
