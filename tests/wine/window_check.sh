#!/usr/bin/env bash
# The real Windows window under Wine, on a private X server (Xvfb), driven as a person would:
#   tests/wine/window_check.sh BUILD_DIR
# 1. A portable copy of the staged programs (BUILD_DIR/package/Vantrel), set to profile 3 and
#    an output folder of the test's own, so that nothing reaches the Wine user's profile.
# 2. `vantrel.exe A.avi` opens the window with its title; `vantrel.exe B.avi` hands B to it and
#    ends; the list (the queue file) then holds both.
# 3. A screenshot of the screen goes to BUILD_DIR/window-under-wine.png, for a person to look at.
# 4. Alt+T (Convert) converts both; Linux's ffprobe reads the FLVs as flv1 and MP3 of the
#    clips' length; the output folder is opened (through the desktop's "open", recorded here).
#    Alt+Q (Quit) and Enter (Yes) then end the program.
# Run by ctest inside tests/wine/run.sh, which sets up the Wine prefix, its server and the X server.
set -euo pipefail

build=$(cd "${1:?usage: window_check.sh BUILD_DIR}" && pwd)
stage=$build/package/Vantrel

fail() {
    echo "window_check: $*" >&2
    if [ -n "${DISPLAY:-}" ] && import -display "$DISPLAY" -window root "$build/window-failure.png" 2>/dev/null; then
        echo "window_check: the screen at that moment: $build/window-failure.png" >&2
    fi
    [ -n "${work:-}" ] && [ -f "$work/window.log" ] && sed 's/^/window: /' "$work/window.log" >&2
    exit 1
}
step() { echo "window_check: $* ($((SECONDS - start)) s)"; }
source "$(dirname "$0")/common.sh"
# wait_for SECONDS WHAT COMMAND...: runs COMMAND every half second until it succeeds.
wait_for() {
    local seconds=$1 what=$2 i
    shift 2
    for ((i = 0; i < seconds * 2; i++)); do
        "$@" && return 0
        sleep 0.5
    done
    fail "waited $seconds s for $what"
}

[ -f "$stage/vantrel.exe" ] || fail "no $stage/vantrel.exe: build the target windows_packages first"
# The X server of tests/wine/run.sh: Wine's server and desktop must know it from their start.
[ -n "${DISPLAY:-}" ] || fail "no X server: run it through tests/wine/run.sh"
for tool in xdotool import ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || fail "$tool is missing (./run test installs it)"
done
start=$SECONDS
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-window.XXXXXX")
window=
cleanup() {
    [ -n "$window" ] && kill "$window" 2>/dev/null
    [ -n "${folder_class:-}" ] && wine reg delete "$folder_class" /f >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

# --- 1. A portable copy -------------------------------------------------------------------------
# Linked rather than copied where the two folders share a file system: about 100 MB.
cp -al "$stage" "$work/Vantrel" 2>/dev/null || { rm -rf "$work/Vantrel" && cp -a "$stage" "$work/Vantrel"; }
program=$work/Vantrel
mkdir "$work/out"
: >"$program/portable.ini"
printf '[Settings]\r\nOut Path=%s\r\nFormat=3\r\n' "$(windows_path "$work/out")" \
    >"$program/vantrel.ini"
for name in first second; do
    make_clip "$work/$name.avi" ffmpeg || fail "Linux's FFmpeg could not make a clip"
done

# The desktop's "open" of the output folder at the end of the batch is recorded instead of
# starting Wine's file manager: no test opens a window of another program. The association
# lives in this run's prefix only while the test runs.
folder_class='HKCR\Folder'
opened=$work/opened.txt
wine reg add "$folder_class\shell\open\command" /ve /f \
    /d "C:\windows\system32\cmd.exe /c echo %1> $(windows_path "$opened")" >/dev/null 2>&1 ||
    fail "cannot record the desktop's open in the prefix"

# --- 2. The window, and a second start handing a file to it ------------------------------------
unset WINEQT_PLUGIN_PATH
# Qt's Windows platform, with FreeType drawing the letters: under Wine, Qt's GDI font engine
# leaves the text of line edits (the output folder field) undrawn, which Windows itself does not.
export WINEQT_QPA_PLATFORM=windows:fontengine=freetype

wine "$program/vantrel.exe" "$(windows_path "$work/first.avi")" </dev/null >"$work/window.log" 2>&1 &
window=$!
find_window() { wid=$(vantrel_window); }
wait_for 90 "the window to show its title" find_window
title=$(xdotool getwindowname "$wid")
step "the window is up: \"$title\""

timeout 60 wine "$program/vantrel.exe" "$(windows_path "$work/second.avi")" </dev/null \
    >"$work/second.log" 2>&1 || fail "the second vantrel.exe did not hand its file over and end: $(cat "$work/second.log")"
lists_both() { grep -q 'second\.avi' "$program/queue.json" 2>/dev/null && grep -q 'first\.avi' "$program/queue.json"; }
wait_for 30 "both files in the list" lists_both
kill -0 "$window" 2>/dev/null || fail "the window ended"
step "the second start handed its file to the running window"

# --- 3. What a person sees ------------------------------------------------------------------------
sleep 1
import -display "$DISPLAY" -window root "$build/window-under-wine.png" ||
    fail "no screenshot could be taken"
step "screenshot in $build/window-under-wine.png"

# --- 4. Convert, check, quit -------------------------------------------------------------------------
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
xdotool key --clearmodifiers alt+t
converted() {
    local name
    for name in first second; do
        [ -s "$work/out/$name.flv" ] && [ ! -e "$work/out/$name.flv.part" ] || return 1
    done
}
wait_for 120 "both FLVs" converted
for name in first second; do
    flv=$work/out/$name.flv
    probe=$(ffprobe -v error -show_entries format=duration:stream=codec_name -of compact "$flv") ||
        fail "Linux's ffprobe cannot read $flv"
    grep -q 'codec_name=flv1' <<<"$probe" && grep -q 'codec_name=mp3' <<<"$probe" ||
        fail "$flv is not flv1 and MP3: $probe"
    duration=$(sed -n 's/^format|duration=\([0-9.]*\).*/\1/p' <<<"$probe")
    awk -v d="$duration" 'BEGIN { exit !(d > 2.8 && d < 3.3) }' || fail "$flv lasts $duration s, not 3"
done
step "converted both with profile 3"

opened_out() { grep -qiF "$(windows_path "$work/out")" "$opened" 2>/dev/null; }
wait_for 30 "the output folder to be opened at the end of the batch" opened_out
both_complete() { [ "$(grep -o '"status": *"Complete"' "$program/queue.json" | wc -l)" = 2 ]; }
wait_for 30 "both rows to say Complete" both_complete
# A click on the list's empty part makes the window the active one again, as it would for a
# person: the opening of the output folder ran another program.
xdotool mousemove --window "$wid" 300 200 click 1
sleep 0.5
xdotool key --clearmodifiers alt+q
# Quit asks "Do you want to quit?"; Enter answers Yes, its default button.
sleep 1
xdotool key Return
ended() { ! kill -0 "$window" 2>/dev/null; }
wait_for 30 "the window to end after Alt+Q and Yes" ended
window=
step "Alt+Q ended the program"
