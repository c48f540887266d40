# What the checks of the Windows build under Wine share, sourced by each:
#   windows_path PATH          PATH as a Windows program under Wine sees it (/ is drive Z:)
#   make_clip OUTPUT FFMPEG... a 3-second AVI (a 640x480 test picture in MPEG-4, a tone in MP2)
#                              made by the command FFMPEG..., Linux's ffmpeg or "wine ffmpeg.exe"
#                              (then OUTPUT as windows_path gives it)
#   vantrel_window             the X window id of a shown Vantrel main window on $DISPLAY, or
#                              nothing and a failure status when there is none

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

make_clip() {
    local output=$1
    shift
    "$@" -nostdin -v error -y -f lavfi -i testsrc=size=640x480:rate=25 \
        -f lavfi -i sine=frequency=440:sample_rate=44100 -t 3 -c:v mpeg4 -q:v 5 -c:a mp2 \
        "$output" </dev/null
}

vantrel_window() {
    local id
    id=$(xdotool search --onlyvisible --name '^Vantrel version ' 2>/dev/null | head -1)
    [ -n "$id" ] && echo "$id"
}
