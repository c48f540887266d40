#!/usr/bin/env bash
# How ctest starts a Windows test program under Wine: start.sh PROGRAM [ARGS...]
# Wine, rarely and on a busy machine, fails to start a program at all: it ends at once with a
# failure status and without a word, before the program's main(), which always prints. Such a
# start is tried once more, and says so; any other ending, with its status, is the program's.
# The output goes on to ctest as it comes.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
    wine "$@" > >(tee "$out") 2> >(tee "$err" >&2)
    status=$?
    wait # for the copies above to be written out
    if ((status == 0 || attempt == 2)) || [ -s "$out" ] || [ -s "$err" ]; then
        break
    fi
    echo "wine: $1 ended with status $status before it could write anything; starting it again" >&2
done
exit "$status"
