#!/usr/bin/env bash
# Installs every Debian package the program, its tests and its tools need, and any
# further packages named as arguments; only what is missing is installed.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libgl-dev qt6-translations-l10n
  sqlite3 libsqlite3-dev libsodium-dev
  postgresql libpq-dev
  mdbtools mdbtools-dev
  fonts-wqy-microhei fonts-dejavu-core
  xvfb xauth x11-utils imagemagick
  clang libclang-rt-14-dev
  python3 python3-icalendar
  dpkg-dev file lintian desktop-file-utils appstream man-db
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
