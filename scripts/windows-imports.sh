#!/usr/bin/env bash
# Lists the DLLs that each program of the Windows folder imports and fails when one of them is not
# Windows' own: the programs are linked statically, so that each executable is the whole program
# (the update replaces "ZOR 27.exe" alone). Windows' own DLLs are those that Wine's system folder
# holds, and the API sets ("api-ms-win-…", "ext-ms-win-…": contract names that the system's loader
# resolves itself); a toolkit or compiler runtime DLL is never among them.
# Usage: windows-imports.sh FOLDER (with scripts/wine-env.sh sourced, for the prefix)
set -euo pipefail
# objdump and du speak the locale that the Wine set-up chose; the listing is read in English.
export LC_ALL=C
folder=$1
system="$WINEPREFIX/drive_c/windows/system32"
[ -d "$system" ] || { echo "no Wine system folder at $system" >&2; exit 1; }
failed=0
for program in "$folder"/*.exe; do
    imports=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p' | sort -f | uniq)
    foreign=()
    while read -r dll; do
        [ -n "$dll" ] || continue
        grep -qiE '^(api|ext)-ms-win-' <<<"$dll" && continue
        find "$system" -maxdepth 1 -iname "$dll" | grep -q . || foreign+=("$dll")
    done <<<"$imports"
    echo "  $(basename "$program") ($(du -h "$program" | cut -f1)) imports: $(tr '\n' ' ' <<<"$imports")"
    if ! grep -qix 'KERNEL32.dll' <<<"$imports"; then
        echo "  $(basename "$program"): no import table read" >&2
        failed=1
    fi
    if [ ${#foreign[@]} -gt 0 ]; then
        echo "  $(basename "$program") imports DLLs that are not Windows' own: ${foreign[*]}" >&2
        failed=1
    fi
done
exit $failed
