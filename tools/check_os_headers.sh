#!/usr/bin/env bash
# Fails when a source file outside platform/ includes a header of the operating system, which
# only platform/ may know (and, for the adapter, its files named for one system: *_posix.cpp,
# *_linux.cpp, *_windows.cpp). Test and benchmark programs drive processes and signals
# themselves and are left out. Prints each offending line.
set -euo pipefail
cd "$(dirname "$0")/.."

headers='unistd|fcntl|signal|poll|pthread|spawn|dirent|pwd|grp|termios|dlfcn|errno|sys/[a-z_/]+|windows|winbase|winnt|winsock2?|ws2tcpip|io|direct|process|shlobj|shellapi|tlhelp32|psapi|userenv|knownfolders'
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*<($headers)\.h>"

list=(git ls-files -- '*.cpp' '*.h' '*.cc' '*.hpp')
git rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
    list=(find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)

found=$("${list[@]}" | sed 's|^\./||' |
    grep -Ev '^(platform|tests|bench)/|_(posix|linux|windows)\.(cpp|h)$' |
    xargs -r grep -EnH "$pattern" || true)
if [ -n "$found" ]; then
    echo "check_os_headers: only platform/ may include the operating system's headers:" >&2
    echo "$found" >&2
    exit 1
fi
