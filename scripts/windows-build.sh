#!/usr/bin/env bash
# Builds the program for 64-bit Windows, with its tests, against the SDK that scripts/windows-sdk.sh
# makes (once per machine), into build-win/ (ZOR_WIN_BUILD_DIR), and installs the folder to copy to a
# Windows machine into build-win/ZOR 27/: "ZOR 27.exe", zor27-config.exe, zor27-makedb.exe (each one
# executable, linked statically), db\, and a demo Data\ folder (bootstrap file and embedded
# database) written by the program's own tools, run under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"

"$top/scripts/setup.sh" cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 python3 poppler-utils unzip locales
# Wine runs the programs as on a Russian workstation (scripts/wine-env.sh), and maps Windows file
# names to the host's through that locale's character set: the host needs the locale itself.
if ! locale -a 2>/dev/null | grep -qx 'ru_RU.utf8'; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
sdk=$("$top/scripts/windows-sdk.sh" | tail -n 1)
echo "Windows SDK: $sdk"

# A folder configured for another SDK (or by the older build of the parts without Qt) starts again.
if [ ! -f "$build/build.ninja" ] || [ "$(cat "$build/sdk" 2>/dev/null)" != "$sdk" ]; then
    rm -rf "$build"
    # ccache, when the machine has it, keeps a rebuilt folder quick.
    launcher=()
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$sdk/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DZOR_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$build/ZOR 27"
    echo "$sdk" >"$build/sdk"
fi
cmake --build "$build" -j"$(nproc)"
install="$build/ZOR 27"
rm -rf "$install"
# Stripped of their symbol tables, the programs are about half the size to download on an update.
cmake --install "$build" --strip >/dev/null

# The demo Data folder, by the tools of the folder itself.
source "$top/scripts/wine-env.sh" "$build"
# The prefix as a workstation has it: the dialogs' "MS Sans Serif" and the message boxes' Tahoma with
# Cyrillic letters (Wine's own have none, and would fall back to a serif face), and a crash reported
# on the console rather than in a dialog that nobody closes.
for face in 'MS Sans Serif' Tahoma; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'Liberation Sans' /f >/dev/null 2>&1
done
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
mkdir -p "$install/Data"
(
    cd "$install"
    "$WINE" zor27-makedb.exe 'Data\demo.db' >/dev/null
    "$WINE" zor27-config.exe write --user zor_boot --password boot --server embedded --database demo.db \
        --file 'Data\ZOR' >/dev/null
)
"$WINESERVER" -k 2>/dev/null || true
echo "The Windows program: $install ($(du -sh "$install" | cut -f1))"
