#!/usr/bin/env bash
# Runs a Windows build's tests under Wine:
#   tests/wine/run.sh BUILD_DIR [ctest options...]
# The tests get a Wine prefix of their own, BUILD_DIR/wine, made (wineboot) on the first run.
# One wineserver is started for the run, detached, with its descriptors on /dev/null, and
# ended afterwards: a wineserver started by the first test would inherit ctest's output pipe,
# which makes every test wait for it (about 2.5 s each) and can hang a pipeline for good.
# The Windows FFmpeg in BUILD_DIR/bin/ffmpeg is also on the Windows PATH, for the test programs
# to make clips and probe results with, and so is BUILD_DIR/bin, where the Qt and C++ runtime
# DLLs and Qt's plugins lie beside vantrel.exe, for the window's test programs. Linux's programs cannot serve them: Wine starts one,
# but its exit status and output do not come back. Checks by Linux's ffprobe are made from
# this side instead (tests/wine/flv_check.sh).
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: tests/wine/run.sh BUILD_DIR [ctest options...]" >&2; exit 2; }
build=$(cd "$1" && pwd)
shift

export WINEPREFIX=$build/wine
export WINEDEBUG=-all
# Wine turns Unix arguments and file names into Windows' UTF-16 by the locale's character set:
# UTF-8, as Vantrel's names are, whatever the caller's locale (under C, "ä" becomes two letters).
export LC_ALL=C.UTF-8
# No Mono or Gecko installer when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
# A private X server for the run: a Qt program creates a (hidden) window even on the offscreen
# platform, which Wine cannot do without a display, and the window test shows the real window
# there. Nothing appears on the user's screen.
unset WAYLAND_DISPLAY
exec 3>"$build/wine-display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
exec 3>&-
for _ in $(seq 100); do [ -s "$build/wine-display" ] && break; sleep 0.1; done
[ -s "$build/wine-display" ] || { echo "wine: the X server (Xvfb) did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$build/wine-display")
# Windows paths of the Unix folders the tests need: Wine shows / as drive Z:.
bin="Z:${build//\//\\}\\bin"
export WINEPATH="$bin\\ffmpeg;$bin"
# Wine hides the Unix side's QT_* variables from Windows programs (they are meant for Linux's
# Qt) and passes WINEQT_* on as QT_*: Qt's plugins for the test programs, which do not lie in
# bin/ beside them, and the offscreen platform, on which the window's tests draw, as on Linux.
export WINEQT_PLUGIN_PATH="$bin" WINEQT_QPA_PLATFORM=offscreen

wineserver -k >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    start=$(date +%s)
    wineboot -i </dev/null >/dev/null 2>&1 || {
        echo "wine: could not make the prefix $WINEPREFIX (is wine64 installed?)" >&2
        exit 1
    }
    wineserver -w
    echo "wine: made the prefix $WINEPREFIX in $(($(date +%s) - start)) s"
fi
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; kill $xvfb 2>/dev/null || true' EXIT
# Wine's own background programs (services.exe, winedevice.exe, ...) start with the first
# Windows program and live as long as the server: start them here, away from ctest's pipes.
wineboot </dev/null >/dev/null 2>&1 || { echo "wine: cannot start Windows programs" >&2; exit 1; }
# Wine's desktop process is started by the first program that needs the desktop and ends soon
# after the last one: started by a test, it would keep that test's output pipe open, and ctest
# waits for the pipe. One program holds the desktop for the whole run, from here (see
# desktop_keeper.cpp); its input is fd 4 and ends with this script.
: >"$build/wine-desktop"
exec 4> >(exec wine "$build/tests/wine/desktop_keeper.exe" >"$build/wine-desktop" 2>&1)
for _ in $(seq 300); do grep -q ready "$build/wine-desktop" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$build/wine-desktop" ||
    { echo "wine: the desktop did not start: $(cat "$build/wine-desktop")" >&2; exit 1; }

# No test found means the cases could not be listed under Wine: that is a failure too.
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)" --timeout 600 "$@" 4>&-
