#!/usr/bin/env bash
# Windows check: cross-builds the platform layer and its tests for Windows with mingw-w64 and runs them
# under Wine, headless. The build and the Wine prefix live in build-win/ (ZOR_WIN_BUILD_DIR).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"

"$top/scripts/setup.sh" cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 python3 iproute2

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
# The download tests reach an HTTP server on 127.0.0.1 that runs on the Linux side: a Windows
# program cannot start it, so it is started here and named to the tests in the environment.
wine_session='
    set -euo pipefail
    server=""
    state=$(mktemp -d)
    trap "\"\$WINESERVER\" -k 2>/dev/null || true; [ -z \"\$server\" ] || kill \"\$server\" 2>/dev/null || true; rm -rf \"\$state\"" EXIT
    # A network namespace of its own starts with its loopback interface down.
    ip link set lo up 2>/dev/null || true
    python3 "$2" --port-file "$state/port" --log "$state/requests.log" >/dev/null &
    server=$!
    for _ in $(seq 100); do [ -f "$state/port" ] && break; sleep 0.1; done
    read -r ZOR_TEST_HTTP_PORT ZOR_TEST_HTTP_CLOSED_PORT <"$state/port"
    export ZOR_TEST_HTTP_PORT ZOR_TEST_HTTP_CLOSED_PORT ZOR_TEST_HTTP_LOG="$state/requests.log"
    "$WINESERVER" -p
    # The first Wine process starts the background services, which keep its output open: give them none.
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    cd "$1"
    ctest --output-on-failure --timeout 300
'
server_script="$top/tests/support/http_server.py"
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
            --bounding-set=-dac_override,-dac_read_search bash -c "$2" wine-session "$3" "$4"
    ' isolate "$nsswitch" "$wine_session" "$build" "$server_script"
else
    bash -c "$wine_session" wine-session "$build" "$server_script"
fi
