#!/bin/sh
# Runs a Windows program under Wine the way the Windows tests expect: a Wine prefix of the build's
# own (made on first use, so the user's ~/.wine is never touched), no Wine debug output, and the
# Japanese code page 932 as the ANSI code page. Without an X display (as in CI) the prefix draws
# with Wine's null graphics driver: windows are made, take their messages and paint, unseen.
#   wine-run.sh PROGRAM.exe [ARGS...]
set -e
here=$(cd "$(dirname "$1")" && pwd)
: "${WINEPREFIX:=${VARLO_WINEPREFIX:-$here/wineprefix}}"
export WINEPREFIX
export WINEDEBUG=-all
export LC_ALL=ja_JP.UTF-8
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# Several tests may start at once; one of them makes the prefix, the others wait for it.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1
    if [ -z "${DISPLAY:-}" ] && ! grep -qs '^"Graphics"="null"' "$WINEPREFIX/user.reg"; then
        "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        # The prefix's desktop picks the driver as it starts: let the one running end first.
        "$wineserver" -w
    fi
) 9>"$WINEPREFIX.lock"
# Under a heavy parallel load the Wine server itself now and then goes away mid-test ("wine client
# error"): that says nothing of the program, so the program runs once more. Any other failure is
# the program's own and stands.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
set +e
"$wine" "$@" 2>"$errors"
status=$?
cat "$errors" >&2
if [ "$status" -ne 0 ] && grep -q 'wine client error' "$errors"; then
    echo "wine-run.sh: the Wine server went away; running $1 once more" >&2
    "$wine" "$@"
    status=$?
fi
exit "$status"
