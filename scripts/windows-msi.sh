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
trap 'rm -f "$package.part"' EXIT
# wixl takes the files' sources relative to where it runs.
(cd "$build" && wixl --arch x64 -D SourceDir="ZOR 27" -D Version="$version" -o "$package.part" zor27.wxs >&2)
# A rebuild of the same version (a new product code) must replace the installed one, not install
# beside it: the upgrade row takes its maximum version inclusively (attribute 512), which wixl's
# MajorUpgrade cannot say.
upgrade_table=$(mktemp -d)
trap 'rm -f "$package.part"; rm -rf "$upgrade_table"' EXIT
msiinfo export "$package.part" Upgrade >"$upgrade_table/Upgrade.idt"
python3 - "$upgrade_table/Upgrade.idt" <<'PYTHON'
import sys
path = sys.argv[1]
rows = open(path, newline="").read().split("\r\n")
for index, row in enumerate(rows[3:], 3):
    fields = row.split("\t")
    if len(fields) == 7 and fields[6] == "WIX_UPGRADE_DETECTED":
        fields[4] = str(int(fields[4]) | 512)
        rows[index] = "\t".join(fields)
open(path, "w", newline="").write("\r\n".join(rows))
PYTHON
(cd "$upgrade_table" && msibuild "$package.part" -i Upgrade.idt)

# Every installed file outside Data\ is in the package, and nothing else (the File table names each by
# its short|long name; the Directory table gives its folder); its name, version, upgrade, shortcut and
# the component by which the program knows its installed copy are the project's.
python3 - "$package.part" "$build/ZOR 27" "$version" "$top/CMakeLists.txt" <<'PYTHON' >&2
import os, re, subprocess, sys

def table(package, name):
    rows = subprocess.run(["msiinfo", "export", package, name], check=True, capture_output=True,
                          text=True).stdout.splitlines()[3:]
    return [row.split("\t") for row in rows if row]

package, folder, version, project = sys.argv[1:]
identity = dict(re.findall(r'set\((ZOR_MSI_\w+) "([0-9A-F-]+)"\)', open(project).read()))
properties = dict(row[:2] for row in table(package, "Property"))
expected = {"ProductName": "ZOR 27", "ProductVersion": version, "ProductLanguage": "1049", "ALLUSERS": "1",
            "UpgradeCode": "{%s}" % identity["ZOR_MSI_UPGRADE_CODE"]}
wrong = {name: properties.get(name) for name, value in expected.items() if properties.get(name) != value}
upgrades = [row for row in table(package, "Upgrade") if row[0] == expected["UpgradeCode"]]
same_version_replaced = [row for row in upgrades if row[6] == "WIX_UPGRADE_DETECTED" and int(row[4]) & 512]
shortcuts = [row[:5] for row in table(package, "Shortcut")]
program = [row[1] for row in table(package, "Component") if row[0] == "Program"]
if wrong or len(upgrades) != 2 or not same_version_replaced or shortcuts != [["MenuShortcut", "ProgramMenuFolder", "ZOR 27", "MenuShortcut",
                                                   "[INSTALLDIR]ZOR 27.exe"]] \
        or program != ["{%s}" % identity["ZOR_MSI_PROGRAM_COMPONENT"]]:
    print(f"The package's properties are wrong: {wrong} {upgrades} {shortcuts} {program}", file=sys.stderr)
    sys.exit(1)
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
print(f"The package {expected['ProductName']} {version} holds the {len(packaged)} files of the installed folder "
      f"outside Data\\, upgrades the same product (a rebuild of its version too), and has its Start-menu shortcut.")
PYTHON
mv "$package.part" "$package"
echo "$package"
