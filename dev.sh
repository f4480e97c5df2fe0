#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the build needs, builds, and runs varloGui or its tests.
#   ./dev.sh run [files...]   build what changed and start the program in the current folder
#   ./dev.sh test             build and run every test: plain, under the sanitizers, and the
#                             Windows build's under Wine
#   ./dev.sh build            build only
#   ./dev.sh windows          cross-build varloGui.exe and its installer and portable .zip
#                             (build/windows/varloGui-<version>-win64.exe and .zip)
#   ./dev.sh bench [NAME...]  build and run the benchmarks (real audio, minutes: bench audio)
# Packages are installed with apt only when missing (as root, or through sudo).
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")"

# Every Debian 12 package the build, the tests and the benchmarks need.
packages=(
    cmake ninja-build g++
    libgtest-dev libgmock-dev
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic
    ffmpeg desktop-file-utils appstream groff-base dpkg-dev file dbus-daemon
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix wine64 locales nsis
)

install_missing() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
            "${missing[@]}"
    fi
    # The Windows tests run in the Japanese code page, which Wine takes from this locale.
    if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
        "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    fi
}

# build PRESET: configures and builds one configuration of CMakePresets.json.
build() {
    cmake --preset "${1:-default}" >/dev/null
    cmake --build --preset "${1:-default}"
}

# Every test: in the plain build, again with AddressSanitizer, UndefinedBehaviorSanitizer and
# libFuzzer replaying the fuzz corpora, and the Windows build's under Wine.
test_all() {
    local preset
    for preset in default sanitize windows; do
        echo "== $preset"
        build "$preset" && ctest --preset "$preset" || return
    done
}

command=${1:-run}
[ $# -eq 0 ] || shift
case "$command" in
    build) install_missing && build ;;
    test) install_missing && test_all ;;
    run)
        # The packages are checked and the build configured on the first run and whenever this
        # script changed; later runs build only when a source is newer than the last build, and
        # start at once when none is. The stamp is taken before the build, so that a file saved
        # during it counts as newer.
        stamp=build/default/.run-stamp
        mkdir -p build/default
        if [ ! -e "$stamp" ] || [ "${0##*/}" -nt "$stamp" ]; then
            touch "$stamp.new"
            install_missing
            build
            mv "$stamp.new" "$stamp"
        elif [ -n "$(find . \( -path ./build -o -path ./.git \) -prune -o -newer "$stamp" -print -quit)" ]; then
            touch "$stamp.new"
            cmake --build --preset default
            mv "$stamp.new" "$stamp"
        fi
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "varloGui is built (build/default/ui/qt/varloGui), but there is no display to show" >&2
            echo "its window on: run this from a desktop session." >&2
            exit 1
        fi
        # The files are named from the folder the user called this from, which is also where
        # the program runs.
        program=$PWD/build/default/ui/qt/varloGui
        files=()
        for f in "$@"; do
            case $f in
                /*) files+=("$f") ;;
                *) files+=("$caller/$f") ;;
            esac
        done
        cd "$caller"
        exec "$program" ${files[@]+"${files[@]}"}
        ;;
    windows) install_missing && build windows && (cd build/windows && cpack) ;;
    bench)
        install_missing
        cmake --preset default -DVARLO_BUILD_BENCH=ON >/dev/null
        cmake --build --preset default --target varlo_bench
        # Later builds of the preset leave the benchmarks out again.
        cmake --preset default -DVARLO_BUILD_BENCH=OFF >/dev/null
        build/default/bench/varlo_bench "$@"
        ;;
    *)
        sed -n '3,11p' "$0" >&2
        exit 2
        ;;
esac
