#!/usr/bin/env bash
# Builds the Debian package (in build-deb/, installed under /usr), checks its contents and declared
# dependencies, installs it with apt-get into a fresh Debian 12 root made by debootstrap, and starts
# the installed program there under Xvfb until its sign-in dialog is on the screen.
# The root is made once per build folder (about a minute) and reused; ZOR_PACKAGE_ROOT moves it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_DEB_BUILD_DIR:-$top/build-deb}"
root="${ZOR_PACKAGE_ROOT:-$build/root}"

"$top/scripts/setup.sh"
"$top/scripts/setup.sh" dpkg-dev debootstrap file

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DZOR_BUILD_TESTS=OFF -DZOR_BUILD_BENCH=OFF
fi
cmake --build "$build"
rm -f "$build"/zor27_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/zor27_*.deb)
echo "package: $deb"

fail() { echo "package check: $*" >&2; exit 1; }

# What the package holds and what it asks for.
contents=$(dpkg-deb --contents "$deb")
for path in "./usr/lib/zor27/ZOR 27" ./usr/lib/zor27/zor27-config ./usr/bin/zor27 ./usr/bin/zor27-config \
    ./usr/share/applications/zor27.desktop ./usr/share/icons/hicolor/256x256/apps/zor27.png \
    ./etc/zor27/ZOR ./var/lib/zor27/demo.db ./usr/lib/zor27/db/schema.sql; do
    grep -qF " $path" <<<"$contents" || fail "missing $path"
done
depends=$(dpkg-deb --field "$deb" Depends)
echo "depends: $depends"
for dependency in libqt6widgets6 libqt6printsupport6 libxlsxwriter libodbc libsqlite3 tdsodbc unixodbc \
    qt6-translations-l10n; do
    grep -q "$dependency" <<<"$depends" || fail "does not depend on $dependency"
done
dpkg-deb --info "$deb" conffiles | grep -qx /etc/zor27/ZOR || fail "/etc/zor27/ZOR is not a conffile"

if [ "$(id -u)" -ne 0 ]; then
    echo "package check: installing into a fresh root needs root; contents and dependencies checked"
    exit 0
fi

# A fresh Debian 12 with nothing but the base system, then the package by apt-get as a user would.
if [ ! -x "$root/usr/bin/apt-get" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$build/debootstrap.log" 2>&1 ||
        { tail -20 "$build/debootstrap.log"; fail "debootstrap failed"; }
fi
cleanup() {
    for mount in proc dev/pts dev; do umount -l "$root/$mount" 2>/dev/null || true; done
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
in_root apt-get update -q >/dev/null
in_root dpkg --purge zor27 >/dev/null 2>&1 || true
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -q "/tmp/$(basename "$deb")" >"$build/install.log" 2>&1 ||
    { tail -30 "$build/install.log"; fail "apt-get install failed"; }
in_root odbcinst -q -d -n FreeTDS >/dev/null || fail "FreeTDS is not registered with unixODBC"
# The toolkit's Russian texts: the standard buttons and dialogs of the program.
in_root test -f /usr/share/qt6/translations/qtbase_ru.qm || fail "the toolkit's Russian translation is missing"
# The installed program, started from its link, shows its sign-in dialog on an X server.
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -q --no-install-recommends xvfb xauth x11-utils \
    >>"$build/install.log" 2>&1 || fail "cannot install Xvfb into the root"
in_root xvfb-run -a sh -c '
    zor27 & program=$!
    for attempt in $(seq 1 40); do
        if xwininfo -root -tree | grep -q "Аутентификация"; then kill $program; exit 0; fi
        kill -0 $program 2>/dev/null || { echo "the program ended"; exit 1; }
        sleep 0.25
    done
    kill $program; echo "no sign-in dialog"; exit 1' || fail "the installed program did not show its sign-in dialog"
echo "package check: installed into a fresh Debian 12 and showed the sign-in dialog"
