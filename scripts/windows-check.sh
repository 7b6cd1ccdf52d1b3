#!/usr/bin/env bash
# Windows check: cross-builds the platform layer and its tests for Windows with mingw-w64 and runs them
# under Wine, headless. The build and the Wine prefix live in build-win/ (ZOR_WIN_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"

"$top/scripts/setup.sh" cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DZOR_PLATFORM_ONLY=ON -DZOR_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2

# The prefix is made once per build folder (about 5 s and 700 MB); a mono or gecko download is never
# wanted. The persistent server keeps each test from waiting seconds for it to let go of stderr.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Called by path: the wine64 package alone puts no wineserver on PATH.
export WINESERVER=/usr/lib/wine/wineserver64
mkdir -p "$WINEPREFIX"
wine_session='
    set -euo pipefail
    trap "\"\$WINESERVER\" -k 2>/dev/null || true" EXIT
    "$WINESERVER" -p
    # The first Wine process starts the background services, which keep its output open: give them none.
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    cd "$1"
    ctest --output-on-failure --timeout 300
'
# A server left running from an earlier, interrupted check would not have the limits set up below.
"$WINESERVER" -k 2>/dev/null || true
if [ "$(id -u)" -eq 0 ]; then
    # As root two things differ from a user's Windows: Wine's files obey no permission bits, so a
    # read-only file opens for writing, and name look-ups could reach the machine's DNS resolver.
    # So Wine runs without the capabilities that override file permissions, in a network namespace of
    # its own where host names come from the hosts file alone.
    nsswitch="$build/nsswitch-files-only.conf"
    echo "hosts: files" >"$nsswitch"
    unshare --mount --net --propagation private bash -c '
        set -euo pipefail
        mount --bind "$1" /etc/nsswitch.conf
        export ZOR_RESOLVER_FILES_ONLY=1
        exec setpriv --inh-caps=-dac_override,-dac_read_search \
            --bounding-set=-dac_override,-dac_read_search bash -c "$2" wine-session "$3"
    ' isolate "$nsswitch" "$wine_session" "$build"
else
    bash -c "$wine_session" wine-session "$build"
fi
