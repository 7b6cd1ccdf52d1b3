#!/usr/bin/env bash
# Makes, once per machine, what the Windows build of the program links against, from Debian's own
# source packages (the versions installed on this machine for the native build): Qt (Core, Gui,
# Widgets, PrintSupport, Test; the windows and offscreen platforms, the native style, the JPEG image
# plugin), SQLite, zlib and libxlsxwriter, cross-built with mingw-w64 into one folder of static
# libraries, so that each program linked against them is one executable that needs no DLL of ours. GoogleTest is built with the
# project from Debian's /usr/src/googletest.
#
# The folder is ZOR_WIN_SDK when set, else /var/cache/zor27/win-sdk-<versions> (or the user's cache
# when /var/cache is not writable). A folder that is complete is reused as it is. Prints the folder
# on its last line of output.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

"$top/scripts/setup.sh" cmake ninja-build pkg-config dpkg-dev xz-utils tcl \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libsqlite3-dev zlib1g-dev libxlsxwriter-dev

# The sources are the versions of the packages the native build uses: one Qt for the host's tools
# (moc, rcc, uic) and the target's libraries.
source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
qt_version=$(source_version qt6-base-dev)
sqlite_version=$(source_version libsqlite3-dev)
zlib_version=$(source_version zlib1g-dev)
xlsx_version=$(source_version libxlsxwriter-dev)
# Raised whenever the way the folder is made changes, so that an older folder is not reused.
recipe=3
key="qt${qt_version%%+*}-sqlite${sqlite_version%%-*}-zlib${zlib_version#*:}-xlsx${xlsx_version%%-*}-r$recipe"
key=${key//[^A-Za-z0-9.+-]/_}

if [ -n "${ZOR_WIN_SDK:-}" ]; then
    sdk=$ZOR_WIN_SDK
elif mkdir -p /var/cache/zor27 2>/dev/null && [ -w /var/cache/zor27 ]; then
    sdk=/var/cache/zor27/win-sdk-$key
else
    sdk=${XDG_CACHE_HOME:-$HOME/.cache}/zor27/win-sdk-$key
fi
if [ -f "$sdk/complete" ]; then
    echo "$sdk"
    exit 0
fi

jobs=$(nproc)
started=$(date +%s)
work="$sdk.work"
rm -rf "$sdk" "$work"
mkdir -p "$sdk" "$work"
# The toolchain lives in the folder: Qt's own toolchain file names it for every later build.
cp "$top/cmake/mingw-w64-x86_64.cmake" "$sdk/toolchain.cmake"
toolchain=(-DCMAKE_TOOLCHAIN_FILE="$sdk/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$sdk"
    -DCMAKE_PREFIX_PATH="$sdk" -DCMAKE_FIND_ROOT_PATH="$sdk" -DCMAKE_BUILD_TYPE=Release)

# Source packages through a deb-src list of our own, made from the system's list of binary
# packages; the system's own lists are left as they are.
apt_dir="$work/apt"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial"
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        >"$apt_dir/sources.list.d/debian.sources"
fi
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$apt_dir/sources.list.d/system.list"
fi
apt_options=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$apt_dir/sources.list.d"
    -o Dir::State::Lists="$apt_dir/lists" -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update -q
fetch() { # package version folder
    (cd "$work" && apt-get "${apt_options[@]}" source -q "$1=$2" >/dev/null)
    local unpacked
    unpacked=$(find "$work" -maxdepth 1 -type d -name "$1-*" | head -n1)
    mv "$unpacked" "$work/$3"
}
fetch qt6-base "$qt_version" qtbase
fetch sqlite3 "$sqlite_version" sqlite
fetch zlib "$zlib_version" zlib
fetch libxlsxwriter "$xlsx_version" xlsxwriter
# Our own changes to the sources, each explained at its top.
for change in "$top"/packaging/windows/qtbase-*.patch; do
    patch -d "$work/qtbase" -p1 --quiet <"$change"
done
echo "Sources fetched in $(($(date +%s) - started)) s"

# zlib (its own configure refuses mingw; its CMake builds it), static.
cmake -S "$work/zlib" -B "$work/zlib-build" -G Ninja "${toolchain[@]}" >/dev/null
cmake --build "$work/zlib-build" -j"$jobs" --target zlibstatic >/dev/null
install -D -m644 "$work/zlib-build/libzlibstatic.a" "$sdk/lib/libz.a"
install -D -m644 "$work/zlib/zlib.h" "$sdk/include/zlib.h"
install -D -m644 "$work/zlib-build/zconf.h" "$sdk/include/zconf.h"

# SQLite: Debian's source carries no amalgamation; a native configure makes it, mingw compiles it.
(cd "$work/sqlite" && mkdir -p native && cd native &&
    ../configure --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
x86_64-w64-mingw32-gcc-posix -O2 -c "$work/sqlite/native/sqlite3.c" -o "$work/sqlite3.o" \
    -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA=1 -DSQLITE_ENABLE_MATH_FUNCTIONS=1 \
    -DSQLITE_DEFAULT_FOREIGN_KEYS=0 -DSQLITE_OMIT_LOAD_EXTENSION=1
x86_64-w64-mingw32-ar rcs "$sdk/lib/libsqlite3.a" "$work/sqlite3.o"
install -m644 "$work/sqlite/native/sqlite3.h" "$sdk/include/"

# libxlsxwriter against that zlib, static.
cmake -S "$work/xlsxwriter" -B "$work/xlsxwriter-build" -G Ninja "${toolchain[@]}" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF \
    -DZLIB_LIBRARY="$sdk/lib/libz.a" -DZLIB_INCLUDE_DIR="$sdk/include" >/dev/null
cmake --build "$work/xlsxwriter-build" -j"$jobs" >/dev/null
cmake --install "$work/xlsxwriter-build" >/dev/null
echo "SQLite, zlib and libxlsxwriter built in $(($(date +%s) - started)) s"

# Qt: static, the modules the program and its tests use and no more; its plugins are static too and
# are linked into the executables that use them. The host's Qt of the same
# version gives the build tools. No OpenGL at all (the windows platform plugin builds without it only
# when dynamic OpenGL is off as well). Debian's source lacks 3rdparty/wintab (no tablet events); the
# sign-in pictures are JPEG (bundled libjpeg).
cmake -S "$work/qtbase" -B "$work/qtbase-build" -G Ninja "${toolchain[@]}" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=OFF \
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF \
    -DFEATURE_concurrent=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF \
    -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_jpeg=ON -DFEATURE_system_jpeg=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_testlib=ON -DFEATURE_printsupport=ON >"$work/qt-configure.log" 2>&1 ||
    {
        tail -n 60 "$work/qt-configure.log"
        exit 1
    }
echo "Qt configured in $(($(date +%s) - started)) s; building ($(ninja -C "$work/qtbase-build" -n | wc -l) steps)"
ninja -C "$work/qtbase-build" -j"$jobs" >"$work/qt-build.log" 2>&1 || {
    tail -n 60 "$work/qt-build.log"
    exit 1
}
cmake --install "$work/qtbase-build" >/dev/null
# The toolkit's Russian texts, which the program carries as a resource: the translation files hold
# no code, the host's serve as they are.
mkdir -p "$sdk/translations"
cp /usr/share/qt6/translations/qtbase_ru.qm "$sdk/translations/" 2>/dev/null || true

printf 'qt6-base %s\nsqlite3 %s\nzlib %s\nlibxlsxwriter %s\nrecipe %s\nbuilt in %s s on %s cores\n' \
    "$qt_version" "$sqlite_version" "$zlib_version" "$xlsx_version" "$recipe" \
    "$(($(date +%s) - started))" "$jobs" >"$sdk/complete"
rm -rf "$work"
echo "Windows SDK made in $(($(date +%s) - started)) s"
echo "$sdk"
