#!/usr/bin/env bash
# Windows check: builds the program for Windows with its tests (scripts/windows-build.sh) and its
# package (scripts/windows-msi.sh, three times: a version, the same version rebuilt, and the next
# one), and runs them under Wine (scripts/windows-wine-checks.sh), headless: the test executables on
# Qt's offscreen platform, the driver's cases against the SQL Server stand-in through Wine's ODBC
# (which hands the calls to the host's unixODBC and FreeTDS), then on Xvfb the program itself (whose
# folder holds no DLL) used as a user would (scripts/user-session.py), its update end to end
# (scripts/windows-update-check.py) and the package installed, upgraded and removed
# (scripts/windows-package-check.py).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"

"$top/scripts/setup.sh" python3 iproute2 unixodbc tdsodbc xvfb xauth xdotool fonts-dejavu-core fonts-liberation \
    procps wixl msitools
ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-build.sh"
package=$(ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-msi.sh" | tail -n 1)
version=$(basename "$package" .msi)
version=${version#ZOR27-}
# The same version built again (another product code), as a site's rebuild would be: it must
# replace the installed one.
first="${package%.msi}-first.msi"
mv "$package" "$first"
rebuilt=$(ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-msi.sh" | tail -n 1)
package=$first
newer=$(ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-msi.sh" "${version%.*}.$((${version##*.} + 1))" | tail -n 1)
source "$top/scripts/wine-env.sh" "$build"
echo "The programs import Windows' own DLLs only:"
"$top/scripts/windows-imports.sh" "$build/ZOR 27"
# The SQL Server stand-in: the shared one beside the project when it is there, else the copy in tests.
standin="$top/../shared/tools/tds_standin.py"
[ -f "$standin" ] || standin="$top/tests/support/tds_standin.py"
# The download tests reach an HTTP server on 127.0.0.1 that runs on the Linux side, the driver cases
# the SQL Server stand-in: a Windows program cannot start them, so scripts/windows-wine-checks.sh starts
# them and names them to the tests in the environment before it runs everything under Wine.
wine_checks="$top/scripts/windows-wine-checks.sh"
server_script="$top/tests/support/http_server.py"
db_script="$top/tests/support/make_driver_db.py"
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
            --bounding-set=-dac_override,-dac_read_search bash "$2" "${@:3}"
    ' isolate "$nsswitch" "$wine_checks" "$build" "$server_script" "$db_script" "$top/db" "$standin" "$top/scripts/user-session.py" "$package" "$newer" "$rebuilt"
else
    bash "$wine_checks" "$build" "$server_script" "$db_script" "$top/db" "$standin" \
        "$top/scripts/user-session.py" "$package" "$newer" "$rebuilt"
fi
