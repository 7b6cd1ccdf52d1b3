#!/usr/bin/env python3
"""Checks docs/administration.md against the database contract in db/: every database name that the
guide's tables give in backticks (objects, columns, parameters) must exist in db/'s scripts. Prints
each name that does not; exits 1 when there is one."""
import pathlib
import re
import sys

top = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
guide = (top / "docs" / "administration.md").read_text(encoding="utf-8")
contract = "\n".join(p.read_text(encoding="utf-8") for p in sorted((top / "db").rglob("*.sql")))

NAME = re.compile(r"`(@?[A-Za-z_][\w-]*)`")
missing = []
names = 0
for line in guide.splitlines():
    if not line.startswith("|"):
        continue
    for name in NAME.findall(line):
        names += 1
        if not re.search(r"(?<![\w@-])" + re.escape(name) + r"(?![\w-])", contract):
            missing.append(name)
for name in sorted(set(missing)):
    print(f"docs/administration.md names {name}, which db/ does not have")
if names == 0:
    print("docs/administration.md: no database names found in its tables")
    sys.exit(1)
sys.exit(1 if missing else 0)
