# Sourced with the Windows build folder as its argument: sets up Wine to run that build's programs.
# The prefix is made once per build folder (about 5 s and 700 MB); a mono or gecko download is never
# wanted. The programs are linked statically and need no DLL of ours; the toolkit reads the QT_
# variables that Wine hands on as WINEQT_.
wine_build=$(cd "$1" && pwd)
export WINEPREFIX="$wine_build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Called by path: the wine64 package alone puts neither on PATH.
export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
mkdir -p "$WINEPREFIX"
# The offscreen platform reads the fonts of one folder: DejaVu, and Liberation Sans for Arial.
mkdir -p "$wine_build/fonts"
ln -sf /usr/share/fonts/truetype/dejavu/*.ttf /usr/share/fonts/truetype/liberation/*.ttf "$wine_build/fonts/" 2>/dev/null || true
export WINEQT_QPA_FONTDIR="Z:${wine_build//\//\\}\\fonts"
# FreeTDS registered under the name of the system's driver on Windows, in a configuration of the
# build's own: the programs send the very connection string of a Windows workstation.
mkdir -p "$wine_build/odbc"
printf '[SQL Server]\nDriver=%s\n' /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so >"$wine_build/odbc/odbcinst.ini"
export ODBCSYSINI="$wine_build/odbc"
# A Russian workstation: Wine takes the user's locale, and with it the ANSI code page (1251), from
# LC_ALL (scripts/windows-build.sh makes sure the host has the locale).
export LC_ALL=ru_RU.UTF-8
unset wine_build
