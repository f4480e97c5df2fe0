#!/usr/bin/env bash
# Builds the Debian package, unpacks it, and checks that what it installs is whole and starts.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null 2>&1
deb=$(ls "$work"/out/*.deb)
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "Depends lacks Qt"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q 'qt6-qpa-plugins' || { echo "Depends lacks the Qt plugins"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q 'qt6-translations-l10n' || { echo "Depends lacks Qt's translations"; exit 1; }
dpkg -x "$deb" "$work/root"

for f in usr/bin/varloGui usr/share/applications/varloGui.desktop \
         usr/share/icons/hicolor/16x16/apps/varloGui.png \
         usr/share/icons/hicolor/32x32/apps/varloGui.png \
         usr/share/icons/hicolor/scalable/apps/varloGui.svg \
         usr/share/metainfo/invalid.varlogui.varlogui.metainfo.xml \
         usr/share/man/man1/varloGui.1.gz usr/share/doc/varlogui/copyright; do
    [ -s "$work/root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
grep -qx 'License: MIT' "$work/root/usr/share/doc/varlogui/copyright"
desktop-file-validate "$work/root/usr/share/applications/varloGui.desktop"
grep -qx 'Exec=varloGui %F' "$work/root/usr/share/applications/varloGui.desktop"
# The metainfo, with the desktop entry and icons it names, as software centres read them.
appstreamcli validate --no-net "$work/root/usr/share/metainfo/invalid.varlogui.varlogui.metainfo.xml"
appstreamcli validate-tree --no-net "$work/root"
# The manual page typesets without a warning.
warnings=$(gzip -dc "$work/root/usr/share/man/man1/varloGui.1.gz" | groff -k -man -ww -z -Tutf8 2>&1)
[ -z "$warnings" ] || { echo "varloGui.1: $warnings"; exit 1; }

# The packaged program starts, and a SIGTERM closes it the normal way, saving its settings.
# It is up, its handlers set, once it has converted its argument (touch makes the output).
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
mkdir -p "$work/config/varloGui" "$work/run"
printf '[varloGui]\nExecFile=touch\nAutoExec=1\n' >"$work/config/varloGui/profile.ini"
(cd "$work/run" && exec "$work/root/usr/bin/varloGui" song.wav) &
pid=$!
until [ -e "$work/run/song.aac" ]; do
    kill -0 $pid 2>/dev/null || { echo "varloGui ended before it converted"; exit 1; }
    sleep 0.1
done
printf '[varloGui]\nExecFile=touch\nAutoExec=0\n' >"$work/config/varloGui/profile.ini"
kill -TERM $pid
( sleep 10; kill -KILL $pid 2>/dev/null ) &
watchdog=$!
status=0
wait $pid || status=$?
kill $watchdog 2>/dev/null || true
[ $status -eq 0 ] || { echo "varloGui ended with status $status after SIGTERM"; exit 1; }
grep -qx 'AutoExec=1' "$work/config/varloGui/profile.ini"
echo "package ok: $(basename "$deb")"
