#!/usr/bin/env python3
"""Writes the database that the SQL Server driver cases run on, for the stand-in to serve.

The contract's schema, logins and procedures from db/ (without the embedded engine's column
rules, which the driver cases do not need), plus logins whose name, password and database hold
the characters that a connection string must carry: ';', '}', '{', '=', quotes and blanks.
Python's own sqlite3 module only, so that the Windows check can build it without the program.
"""
import argparse
import os
import re
import sqlite3

# The logins of the connection string cases: what the driver must carry unchanged.
ODD_LOGINS = [("zor;odd", "p;w=d'\" x "), ("zor}odd", "p}w{d}")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scripts", required=True, help="the db/ folder")
    parser.add_argument("file")
    args = parser.parse_args()
    partial = args.file + ".partial"
    if os.path.exists(partial):
        os.remove(partial)
    db = sqlite3.connect(partial)
    for script in ("schema.sql", "logins.sql"):
        with open(os.path.join(args.scripts, script), encoding="utf-8") as f:
            db.executescript(f.read())
    folder = os.path.join(args.scripts, "procedures")
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".sql"):
            continue
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            body = f.read()
        header = re.match(r"^\s*--\s*params:([^\r\n]*)", body, re.IGNORECASE)
        if not header:
            raise SystemExit(f"procedures/{name}: the first line must list the parameters")
        db.execute("INSERT INTO sys_procedures(name, params, body) VALUES (?, ?, ?)",
                   (name[:-4], header.group(1).strip(), body))
    db.executemany("INSERT INTO sys_logins(name, password) VALUES (?, ?)", ODD_LOGINS)
    db.commit()
    db.close()
    os.replace(partial, args.file)


if __name__ == "__main__":
    main()
