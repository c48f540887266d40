#!/usr/bin/env bash
# Vantrel's demo: makes a short test clip with FFmpeg, converts it with vantrel-cli (profile 3,
# 320x240 at 20 fps with stereo MP3) and shows where the FLV is and what is in it.
#   tools/demo.sh BIN_FOLDER     (./run demo does this with build/bin)
# The user's settings and ~/ZedovAvizevare are left alone: the clip and a settings folder of
# its own live in a temporary folder, the FLV in ${TMPDIR:-/tmp}/vantrel-demo/out.
set -euo pipefail

bin=${1:?usage: tools/demo.sh BIN_FOLDER}
cli=$bin/vantrel-cli

fail() {
    echo "demo: $*" >&2
    exit 1
}

[ -x "$cli" ] || fail "$cli is missing; build Vantrel first"
[ -x "$bin/DLL/ffmpeg" ] || fail "$bin/DLL/ffmpeg is missing; build Vantrel first"
for tool in ffmpeg ffprobe; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (apt-get install ffmpeg)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-demo-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=${TMPDIR:-/tmp}/vantrel-demo/out
mkdir -p "$out"

clip=$work/demo-clip.avi
echo "demo: making a 5-second test clip (colour bars and a 440 Hz tone)"
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=25 \
    -f lavfi -i sine=frequency=440:sample_rate=44100 -t 5 \
    -c:v mpeg4 -q:v 5 -c:a mp2 "$clip" || fail "FFmpeg could not make the test clip"

echo "demo: converting it with vantrel-cli --profile 3 --out $out"
status=0
XDG_CONFIG_HOME=$work/config "$cli" --profile 3 --overwrite --out "$out" "$clip" || status=$?
[ "$status" -eq 0 ] || fail "vantrel-cli ended with status $status"

flv=$out/demo-clip.flv
[ -s "$flv" ] || fail "no FLV was written at $flv"

probe() {
    ffprobe -v error "$@" -of csv=p=0 "$flv"
}
IFS=, read -r container duration < <(probe -show_entries format=format_name,duration)
IFS=, read -r vcodec width height rate < <(probe -select_streams v:0 \
    -show_entries stream=codec_name,width,height,r_frame_rate)
IFS=, read -r acodec samplerate channels < <(probe -select_streams a:0 \
    -show_entries stream=codec_name,sample_rate,channels)

seconds=$(printf '%.1f' "$duration" 2>/dev/null) || seconds=$duration
echo "demo: the FLV is $flv"
echo "ffprobe: $container, $seconds s; video $vcodec ${width}x$height at ${rate%/1} fps;" \
    "audio $acodec $samplerate Hz, $channels channels"
