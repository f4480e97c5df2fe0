#!/bin/sh
# Takes docs/screenshot-windows.png (or, with "en", docs/screenshot-windows-en.png for a user
# whose language is English): varloGui.exe under Wine on a virtual X display, after converting
# three files with the Windows tests' converter stand-in. Needs Xvfb and ImageMagick
# (apt install xvfb imagemagick fonts-wine) and the windows build (./dev.sh windows).
#   docs/screenshot-windows.sh [en]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/windows"
work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null; kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

if [ "${1:-}" = en ]; then
    locale=C.UTF-8 shot=docs/screenshot-windows-en.png names="interview|summer song|take 3"
else
    locale=ja_JP.UTF-8 shot=docs/screenshot-windows.png names="interview|夏の歌|take 3"
fi
export DISPLAY=:77 WINEPREFIX="$work/prefix" WINEDEBUG=-all LC_ALL=$locale
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
sleep 1
kill -0 "$xvfb" || { cat "$work/xvfb.log"; exit 1; }
"$wine" wineboot --init >/dev/null 2>&1
# Wine draws the window frame itself, as Windows would; the dialog font maps to IPAPGothic.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f \
    >/dev/null 2>&1
# The frame's buttons are Marlett glyphs.
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# Not the profile's Music folder: Wine links that to the user's own home.
music="$WINEPREFIX/drive_c/music"
mkdir -p "$music"
IFS='|'
set -- $names
unset IFS
for name in "$@"; do printf RIFF >"$music/$name.wav"; done
cp "$build/tests/engine/win_converter.exe" "$WINEPREFIX/drive_c/varlo.exe"
cp "$build/ui/win32/varloGui.exe" "$WINEPREFIX/drive_c/"
printf '[varloGui]\r\nExecFile=C:\\varlo.exe\r\nAutoExec=1\r\n' >>"$WINEPREFIX/drive_c/windows/win.ini"

cd "$music"
FAKE_WRITE_OUTPUT=1 "$wine" 'C:\varloGui.exe' "C:\\music\\$1.wav" "C:\\music\\$2.wav" \
    "C:\\music\\$3.wav" &
# Wait for the window (a first start of a prefix takes a while), then for it to paint.
for _ in $(seq 120); do
    xwininfo -root -tree | grep -q '"varloGui": ("varlogui.exe"' && break
    sleep 1
done
sleep 2
geometry=$(xwininfo -root -tree | sed -n 's/.*"varloGui": ("varlogui.exe".* \([0-9]*x[0-9]*+[0-9]*+[0-9]*\) .*/\1/p' | head -1)
import -window root -crop "$geometry" +repage "$here/$shot"
echo "$shot: $geometry"
