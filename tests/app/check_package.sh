#!/usr/bin/env bash
# Builds the Debian package from BUILD_DIR, validates it as Debian and the desktops do,
# unpacks it into a temporary root and runs the unpacked program there: --version, then
# one offscreen start that must make the user's data folder (owner-only, a fresh register,
# empty carriers) and write nothing beside the program.
set -euo pipefail
build=$1
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
debs=("$work"/out/corvane_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one corvane_*.deb, got: ${debs[*]}"
deb=${debs[0]}

# Dependencies: the linked libraries found by dpkg-shlibdeps and the plugins named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6sql6 libsqlite3-0 libpq5 libmdb3 libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
id=org.corvane.Corvane
for file in usr/bin/corvane usr/lib/corvane/corvane-jet-reader \
            usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
            usr/share/man/man1/corvane.1.gz usr/share/doc/corvane/copyright \
            usr/share/icons/hicolor/scalable/apps/$id.svg; do
  [ -f "$root/$file" ] || fail "missing /$file"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png
  [ "$(file -b "$png" | grep -o "$size x $size")" = "$size x $size" ] || fail "icon $png is not $size px"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
lintian --fail-on error,warning "$deb" 2>&1 | { grep -v "^running with root privileges" || true; } ||
  fail "lintian"
man --warnings -l "$root/usr/share/man/man1/corvane.1.gz" 2>&1 >/dev/null | grep . && fail "man page warnings"

program=$root/usr/bin/corvane
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version)
[ "$version" = "Corvane $2" ] || fail "--version printed '$version'"

# An installed start: its own runtime folder (the instance lock) and data folder.
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen
"$program" & pid=$!
folder=$XDG_DATA_HOME/corvane
for _ in $(seq 300); do
  [ -f "$folder/db.mdb" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended without making $folder/db.mdb"
  sleep 0.1
done
[ -f "$folder/db.mdb" ] || fail "no register in $folder after 30 s"
sleep 0.3
kill -0 "$pid" 2>/dev/null || fail "the program ended after making its folder"
kill "$pid"; wait "$pid" 2>/dev/null || true; pid=

[ "$(stat -c %a "$folder")" = 700 ] || fail "$folder is not owner-only"
for carrier in key.exe sk.exe; do
  [ "$(stat -c '%a %s' "$folder/$carrier")" = "600 0" ] || fail "$carrier is not an empty owner-only file"
done
[ "$(stat -c %a "$folder/db.mdb")" = 600 ] || fail "db.mdb is not owner-only"
[ "$(sqlite3 "$folder/db.mdb" 'select count(*) from t_webinfo')" = 0 ] || fail "the register is not fresh"
[ "$(ls -A "$root/usr/bin" "$root/usr/lib/corvane" | xargs)" = \
  "$root/usr/bin: corvane $root/usr/lib/corvane: corvane-jet-reader" ] || fail "the program wrote beside itself"
echo "package ok: $(basename "$deb")"
