#!/usr/bin/env bash
# Runs a command on a pseudo-terminal of its own (script(1)) and passes its exit status back,
# its output freed of the terminal's control sequences:
#   tests/cli/on_terminal.sh PROGRAM [ARGUMENTS...]
# Under Wine a Windows program needs a console on a terminal for Ctrl+C to reach it.
set -euo pipefail
command=$(printf '%q ' "$@")
# Wine's console moves the cursor over blanks ("ESC [ n C"): they become spaces again.
script --quiet --return --command "$command" /dev/null </dev/null |
    perl -pe 's/\e\[(\d*)C/" " x ($1 || 1)/ge; s/\e\[[0-9;?]*[a-zA-Z]//g; s/\e[()][A-Z0-9]//g; s/\r$//'
