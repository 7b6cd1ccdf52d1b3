#!/usr/bin/env bash
# Makes the Windows package build-win/ZOR27-VERSION.msi with wixl from the folder that
# scripts/windows-build.sh installs (build-win/ZOR 27/, its Data\ left out) and prints its path.
# VERSION is the project's (major.minor.patch) unless given; a later version upgrades an earlier one.
# Checks that the package holds exactly the installed files outside Data\.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"
command -v wixl >/dev/null && command -v msiinfo >/dev/null || "$top/scripts/setup.sh" wixl msitools >&2

version="${1:-}"
if [ -z "$version" ]; then
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    # Windows Installer compares three fields.
    while [ "$(tr -cd . <<<"$version" | wc -c)" -lt 2 ]; do version="$version.0"; done
fi
package="$build/ZOR27-$version.msi"
# wixl takes the files' sources relative to where it runs.
(cd "$build" && wixl --arch x64 -D SourceDir="ZOR 27" -D Version="$version" -o "$package.part" zor27.wxs >&2)

# Every installed file outside Data\ is in the package, and nothing else (the File table names each by
# its short|long name; the Directory table gives its folder).
python3 - "$package.part" "$build/ZOR 27" <<'PYTHON' >&2
import os, subprocess, sys

def table(package, name):
    rows = subprocess.run(["msiinfo", "export", package, name], check=True, capture_output=True,
                          text=True).stdout.splitlines()[3:]
    return [row.split("\t") for row in rows if row]

package, folder = sys.argv[1:]
directories = {row[0]: (row[1], row[2].split("|")[-1]) for row in table(package, "Directory")}
def path_of(directory):
    parent, name = directories[directory]
    if directory == "INSTALLDIR":
        return ""
    return os.path.join(path_of(parent), name)
components = {row[0]: row[2] for row in table(package, "Component")}
packaged = sorted(os.path.join(path_of(components[row[1]]), row[2].split("|")[-1]) for row in table(package, "File"))
installed = sorted(os.path.relpath(os.path.join(root, name), folder)
                   for root, _, names in os.walk(folder) for name in names
                   if not os.path.relpath(root, folder).split(os.sep)[0] == "Data")
if packaged != installed:
    print("The package's files differ from the installed folder's:", file=sys.stderr)
    print("  only in the package:", sorted(set(packaged) - set(installed)), file=sys.stderr)
    print("  only in the folder:", sorted(set(installed) - set(packaged)), file=sys.stderr)
    sys.exit(1)
print(f"The package holds the {len(packaged)} files of the installed folder outside Data\\.")
PYTHON
mv "$package.part" "$package"
echo "$package"
