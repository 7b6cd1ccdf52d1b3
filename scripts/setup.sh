#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; quick when they are there.
# With arguments, installs those packages instead.
set -euo pipefail
packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-translations-l10n
    libsqlite3-dev unixodbc-dev tdsodbc freetds-bin libcurl4-openssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libxlsxwriter-dev poppler-utils unzip
    xvfb xauth xdotool python3
    dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
    fonts-dejavu-core fonts-liberation locales
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The SQL Server driver's tests reach FreeTDS by its ODBC name.
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo odbcinst -i -d -f /usr/share/tdsodbc/odbcinst.ini
fi
# The users' locales, in which the tests also write files (and Wine runs as a Russian workstation).
if [ $# -eq 0 ]; then
    for wanted in ru_RU de_DE; do
        if ! locale -a 2>/dev/null | grep -qx "$wanted.utf8"; then
            sudo=""
            [ "$(id -u)" -eq 0 ] || sudo="sudo"
            $sudo localedef -i "$wanted" -f UTF-8 "$wanted.UTF-8"
        fi
    done
fi
