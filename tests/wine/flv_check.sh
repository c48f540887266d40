#!/usr/bin/env bash
# The Windows programs under Wine, checked from Linux: each converts a clip made by Linux's
# FFmpeg into an FLV that Linux's ffprobe reads as Sorenson H.263 (flv1) and MP3 of the clip's
# length.
#   tests/wine/flv_check.sh ffmpeg BIN_DIR   bin/ffmpeg/ffmpeg.exe with profile 3's options
#   tests/wine/flv_check.sh cli BIN_DIR      bin/vantrel-cli.exe --profile 3 (through the adapter)
#   tests/wine/flv_check.sh cli-long BIN_DIR the same in a folder whose path is longer than the
#                                            260 characters of Windows' classic limit
# Run by ctest inside tests/wine/run.sh, which sets up the Wine prefix and server.
set -euo pipefail

mode=${1:?usage: flv_check.sh ffmpeg|cli|cli-long BIN_DIR}
bin=${2:?usage: flv_check.sh ffmpeg|cli|cli-long BIN_DIR}

fail() {
    echo "flv_check: $*" >&2
    exit 1
}
source "$(dirname "$0")/common.sh"

top=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-wine-check.XXXXXX")
trap 'rm -rf "$top"' EXIT
work=$top
if [ "$mode" = cli-long ]; then
    for folder in "long folder $(printf 'a%.0s' {1..90})" "$(printf 'b%.0s' {1..100})" \
        "$(printf 'c%.0s' {1..80})"; do
        work+=/$folder
    done
    mkdir -p "$work"
    [ ${#work} -gt 260 ] || fail "the folder is only ${#work} characters long"
fi
clip="$work/clip ä.avi"
make_clip "$clip" ffmpeg || fail "Linux's FFmpeg could not make the clip"

mkdir "$work/out"
flv="$work/out/clip ä.flv"
status=0
case $mode in
    ffmpeg)
        wine "$bin/ffmpeg/ffmpeg.exe" -nostdin -v error -y -i "$(windows_path "$clip")" \
            -vcodec flv -b:v 256k -s 320x240 -r 20 -acodec libmp3lame -ac 2 -ar 22050 -b:a 96k \
            -f flv "$(windows_path "$flv")" </dev/null || status=$?
        ;;
    cli | cli-long)
        wine "$bin/vantrel-cli.exe" --profile 3 \
            --out "$(windows_path "$work/out")" "$(windows_path "$clip")" </dev/null || status=$?
        [ ! -e "$flv.part" ] || fail "the .part file was left behind"
        ;;
    *) fail "unknown mode $mode" ;;
esac
[ "$status" -eq 0 ] || fail "$mode ended with status $status"
[ -s "$flv" ] || fail "no FLV at $flv"

probe=$(ffprobe -v error -show_entries format=format_name,duration:stream=codec_name,width,height \
    -of compact "$flv") || fail "Linux's ffprobe cannot read the FLV"
echo "$probe"
grep -qE '^format\|format_name=flv\|' <<<"$probe" || fail "not an FLV"
grep -qE '^stream\|codec_name=flv1\|width=320\|height=240$' <<<"$probe" || fail "no 320x240 flv1 video"
grep -qE '^stream\|codec_name=mp3$' <<<"$probe" || fail "no MP3 audio"
duration=$(sed -n 's/^format|.*duration=\([0-9.]*\).*/\1/p' <<<"$probe")
awk -v d="$duration" 'BEGIN { exit !(d > 2.8 && d < 3.3) }' || fail "duration $duration, not 3 s"
