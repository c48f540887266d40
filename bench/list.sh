#!/usr/bin/env bash
# The job list's bench: one Add of 1000 files whose lengths the fake encoder reports, then full
# repaints of the list while it scrolls; prints the time per added row and per repaint.
#   bench/list.sh [BUILD_FOLDER] [ROWS]      (defaults: build, 1000)
# The build folder must have been configured with the tests (BUILD_TESTING, the default): the
# fake encoder is one of them. Runs on Qt's offscreen platform, so it needs no display.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
rows=${2:-1000}

[ -f "$build/build.ninja" ] || [ -f "$build/Makefile" ] || {
    echo "bench: $build is not a configured build folder" >&2
    exit 1
}
cmake --build "$build" --target list_bench fake_encoder >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bench/list_bench" "$rows"
