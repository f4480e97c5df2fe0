#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows installer under Wine: a silent install puts the program (without debug sections),
# its shortcuts, its uninstaller entry and "Open with" for WAV files in place; the installed
# program converts a file in the user's profile folder, where its shortcut starts it; a silent
# uninstall leaves no file and no key of its own behind.
#   installer_test.sh BUILD_DIR OBJDUMP CONVERTER
set -euo pipefail
build=$1 objdump=$2 converter=$3
work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "installer_test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work/out" >/dev/null
installer=$(ls "$work"/out/varloGui-*-win64.exe)
echo "installer: $(basename "$installer"), $(stat -c %s "$installer") bytes"
"$wine" wineboot --init >/dev/null 2>&1
if [ -z "${DISPLAY:-}" ]; then
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
fi
"$wineserver" -w

key() { "$wine" reg query "$@" >/dev/null 2>&1; }
value() { "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/.*$2 *REG_[A-Z_]* *//p"; }
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\varloGui'
app='HKLM\Software\Classes\Applications\varloGui.exe'
folder="$WINEPREFIX/drive_c/Program Files/varloGui"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/varloGui"

"$wine" "$installer" /S
"$wineserver" -w
[ -f "$folder/varloGui.exe" ] || fail "no varloGui.exe in Program Files"
[ -f "$folder/Uninstall.exe" ] || fail "no uninstaller"
[ -f "$menu/varloGui.lnk" ] || fail "no Start-menu shortcut"
[ -f "$menu/Uninstall.lnk" ] || fail "no uninstaller shortcut"
# The shortcut's "Start in" (its working folder, in UTF-16) is the user's profile folder.
tr -d '\000' <"$menu/varloGui.lnk" | grep -aq '%USERPROFILE%' ||
    fail "the shortcut does not start in the profile folder"
! "$objdump" -h "$folder/varloGui.exe" | grep -q '\.debug_' || fail "debug sections installed"
[ "$(value "$uninstall" DisplayName)" = varloGui ] || fail "Apps & features: no name"
[ "$(value "$uninstall" DisplayVersion)" = 1.4.0 ] || fail "Apps & features: no version"
[ "$(value "$uninstall" Publisher)" = "varloGui authors" ] || fail "Apps & features: no publisher"
value "$uninstall" DisplayIcon | grep -q 'varloGui.exe' || fail "Apps & features: no icon"
[ -n "$(value "$uninstall" EstimatedSize)" ] || fail "Apps & features: no size"
value "$app\\shell\\open\\command" '(Default)' | grep -q 'varloGui.exe" /queue "%1"' ||
    value "$app\\shell\\open\\command" '' | grep -q 'varloGui.exe" /queue "%1"' ||
    fail "no Open with command"
key "$app\\SupportedTypes" /v .wav || fail "not for .wav"
key 'HKLM\Software\Classes\.wav\OpenWithProgids' /v varloGui.wav || fail "not in OpenWithProgids"
key 'HKLM\Software\Classes\.wav\OpenWithList\varloGui.exe' || fail "not in OpenWithList"

# The installed program, started in the profile folder as its shortcut starts it, converts a
# file named there.
profile=$("$wine" winepath -u "$("$wine" cmd /c echo %USERPROFILE% | tr -d '\r')" 2>/dev/null)
[ -d "$profile" ] || fail "no profile folder: $profile"
printf 'RIFF' >"$profile/take.wav"
printf '[varloGui]\r\nExecFile=%s\r\nAutoExec=1\r\n' "$("$wine" winepath -w "$converter" 2>/dev/null)" \
    >>"$WINEPREFIX/drive_c/windows/win.ini"
(cd "$profile" && FAKE_WRITE_OUTPUT=1 "$wine" 'C:\Program Files\varloGui\varloGui.exe' take.wav) &
for _ in $(seq 300); do
    [ -s "$profile/take.aac" ] && break
    sleep 0.1
done
[ "$(cat "$profile/take.aac" 2>/dev/null)" = "converted from take.wav" ] ||
    fail "the installed program did not convert in the profile folder"
"$wineserver" -k
wait || true

"$wine" 'C:\Program Files\varloGui\Uninstall.exe' /S
"$wineserver" -w
[ ! -e "$folder" ] || fail "left behind: $(ls -A "$folder")"
[ ! -e "$menu" ] || fail "the Start-menu folder is left"
for k in "$uninstall" "$app" 'HKLM\Software\Classes\varloGui.wav' \
         'HKLM\Software\Classes\.wav\OpenWithList\varloGui.exe' 'HKLM\Software\varloGui authors'; do
    ! key "$k" || fail "left behind: $k"
done
! key 'HKLM\Software\Classes\.wav\OpenWithProgids' /v varloGui.wav || fail "left in OpenWithProgids"
echo "installed, started, uninstalled: nothing left"
