#!/usr/bin/env bash
# `dev.sh run` with a relative name, from another folder, with nothing to build: the program starts
# at once in the caller's folder, and the converter gets the file the name meant.
#   dev_run_test.sh DEV_SH PROGRAM
set -euo pipefail
work=$(mktemp -d)
trap 'kill -KILL $pid 2>/dev/null || true; rm -rf "$work"' EXIT
pid=
# A checkout built already, without CMake presets: a package check or build would fail.
mkdir -p "$work/checkout/build/default/ui/qt" "$work/music" "$work/config/varloGui"
cp "$1" "$work/checkout/dev.sh"
touch -d 2000-01-01 "$work/checkout/dev.sh"
ln -s "$2" "$work/checkout/build/default/ui/qt/varloGui"
touch "$work/checkout/build/default/.run-stamp" "$work/music/song 1.wav"
printf '#!/bin/sh\nprintf "%%s\\n" "$PWD" "$@" >"$0.tmp" && mv "$0.tmp" "$0.notes"\n' >"$work/conv"
chmod +x "$work/conv"
printf '[varloGui]\nExecFile=%s\nAutoExec=1\n' "$work/conv" >"$work/config/varloGui/profile.ini"

cd "$work/music"
export QT_QPA_PLATFORM=offscreen DISPLAY=:0 XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
PATH=/usr/bin:/bin ../checkout/dev.sh run "song 1.wav" &
pid=$!
for _ in $(seq 600); do  # until the converter has run, or the program has ended without it
    [ ! -e "$work/conv.notes" ] && kill -0 $pid 2>/dev/null || break
    sleep 0.05
done
kill -TERM $pid 2>/dev/null || true
wait $pid || true
printf -v expected '%s\n' "$work/music" "$work/music/song 1.wav" "$work/music/song 1.aac"
[ "$(cat "$work/conv.notes" 2>/dev/null)"$'\n' = "$expected" ] ||
    { echo "the converter noted: $(cat "$work/conv.notes" 2>/dev/null), not: $expected"; exit 1; }
