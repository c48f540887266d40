#!/usr/bin/env bash
# The Windows installer and the portable zip under Wine, in a fresh prefix of their own:
#   tests/wine/installer_check.sh BUILD_DIR VERSION
# 1. vantrel-VERSION-setup.exe /S /CurrentUser installs (twice) every staged file into
#    %LOCALAPPDATA%\Programs\Vantrel, with the "Apps" entry, and with the window also the
#    Start-menu shortcut and "Open with" for each video type, all in HKCU. The exit status
#    says nothing (a 32-bit installer under a 64-bit-only Wine exits 0 having done nothing):
#    the files and keys are what count.
# 2. The installed vantrel-cli.exe converts a clip made by the installed ffmpeg.exe with
#    profile 3, read back by Linux's ffprobe; the installed vantrel.exe starts.
# 3. uninstall.exe /S (which runs again from a copy and returns at once) removes every file,
#    the folder, the shortcut and the keys.
# 4. Without /CurrentUser the installer counts as elevated (Wine gives every process a full
#    administrator's token): it installs for all users, into Program Files and HKLM, and the
#    uninstaller finds and removes that install.
# 5. The zip holds the same files and a portable.ini, which makes vantrel-cli.exe read its
#    settings beside itself; neither it nor the window writes to the user's profile.
# Run by ctest inside tests/wine/run.sh; this prefix gets its own wineserver, ended on exit.
set -euo pipefail

build=$(cd "${1:?usage: installer_check.sh BUILD_DIR VERSION}" && pwd)
version=${2:?usage: installer_check.sh BUILD_DIR VERSION}
installer=$build/vantrel-$version-setup.exe
zip=$build/vantrel-$version-windows-x64.zip
stage=$build/package/Vantrel
types=$build/package/nsis/types.nsh

fail() {
    echo "installer_check: $*" >&2
    exit 1
}
step() { echo "installer_check: $* ($((SECONDS - start)) s)"; }
source "$(dirname "$0")/common.sh"
# A key's values and subkeys as text, empty when the key is missing (reg then prints its
# complaint on standard output).
reg_query() {
    local text
    text=$(wine reg query "$@" 2>/dev/null </dev/null) || return 0
    tr -d '\r' <<<"$text"
}
# Waits up to 60 s for an install to go: the uninstaller works on after it returns, and
# removes the Apps entry (KEY) last.
wait_uninstalled() {
    local folder=$1 key=$2 i
    for ((i = 0; i < 120; i++)); do
        [ ! -e "$folder" ] && [ -z "$(reg_query "$key")" ] && return 0
        sleep 0.5
    done
    [ ! -e "$folder" ] || fail "the uninstaller left $(cd "$folder" && find . | head)"
    fail "the uninstaller left the Apps entry $key"
}

# The window on the X server tests/wine/run.sh started: its title showing means Qt, its Windows
# platform plugin and the runtime were all found beside the program. Ended by its process id.
start_window() {
    wine "$1" </dev/null >"$work/window.log" 2>&1 &
    local window=$! i
    for ((i = 0; i < 120; i++)); do
        vantrel_window >/dev/null && break
        kill -0 "$window" 2>/dev/null || fail "$1 ended: $(cat "$work/window.log")"
        sleep 0.5
    done
    ((i < 120)) || fail "$1 showed no window in 60 s: $(cat "$work/window.log")"
    kill "$window"
    wait "$window" 2>/dev/null || true
    # The server can hold the ended program's files for a moment, and an uninstaller run then
    # cannot delete them: a fresh server knows of no program at all.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1 || fail "cannot start a wineserver for $WINEPREFIX"
}

for file in "$installer" "$zip" "$types"; do
    [ -f "$file" ] || fail "$file is missing: build the target windows_packages first"
done
start=$SECONDS

export WINEPREFIX=$build/wine-installer
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY WINEPATH WINEQT_PLUGIN_PATH WINEQT_QPA_PLATFORM
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-installer.XXXXXX")
passed=0
# The prefix (about 700 MB) is kept only after a failure, to look into.
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
    if [ $passed = 1 ]; then
        wineserver -w >/dev/null 2>&1 || true
        rm -rf "$WINEPREFIX"
    fi
}
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# The server started apart from ctest's pipes (see run.sh).
wineserver -p </dev/null >/dev/null 2>&1 || fail "cannot start a wineserver for $WINEPREFIX"
wineboot -i </dev/null >/dev/null 2>&1 || fail "could not make the prefix $WINEPREFIX"
step "made a fresh prefix"

local_app_data=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% </dev/null | tr -d '\r')")
app_data=$(winepath -u "$(wine cmd /c echo %APPDATA% </dev/null | tr -d '\r')")
program_files=$(winepath -u "$(wine cmd /c echo %ProgramW6432% </dev/null | tr -d '\r')")
shortcut=$app_data/Microsoft/Windows/Start\ Menu/Programs/Vantrel.lnk
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel'
has_window=0
[ -f "$stage/vantrel.exe" ] && has_window=1
mapfile -t extensions < <(sed -n 's/.*!insertmacro ${MACRO} "\(\.[a-z0-9]*\)".*/\1/p' "$types")
[ ${#extensions[@]} -gt 0 ] || fail "no video types in $types"
staged=$(cd "$stage" && find . -type f ! -name portable.ini | sort)

# The installed folder holds each staged file, byte for byte, and the uninstaller.
check_installed() {
    local folder=$1 file
    [ -f "$folder/uninstall.exe" ] || fail "no uninstall.exe in $folder"
    while IFS= read -r file; do
        cmp -s "$stage/$file" "$folder/$file" || fail "$folder/$file is missing or differs"
    done <<<"$staged"
}

# --- 1. Per user ---------------------------------------------------------------------------
# Twice: the second install runs the first one's uninstaller, which must be done before the
# new files are copied.
folder=$local_app_data/Programs/Vantrel
for round in 1 2; do
    wine "$installer" /S /CurrentUser </dev/null >/dev/null 2>&1 || true
    check_installed "$folder"
done
[ ! -e "$program_files/Vantrel" ] || fail "a per-user install wrote to Program Files"
licences=(LICENSE.txt ffmpeg/licenses/ffmpeg ffmpeg/licenses/lame ffmpeg/licenses/x264)
[ $has_window = 1 ] && licences+=(licenses/Qt)
for licence in "${licences[@]}"; do
    [ -n "$(find "$folder/$licence" -type f -size +0 2>/dev/null)" ] || fail "no licence $licence"
done
entry=$(reg_query "HKCU\\$uninstall_key")
grep -q "DisplayVersion *REG_SZ *$version\$" <<<"$entry" || fail "no Apps entry with the version: $entry"
grep -q 'Publisher *REG_SZ *.' <<<"$entry" || fail "the Apps entry has no publisher"
grep -q 'EstimatedSize *REG_DWORD *0x[0-9a-f]*[1-9a-f]' <<<"$entry" || fail "the Apps entry has no size"
grep -qi 'UninstallString *REG_SZ *"C:\\users\\.*\\Programs\\Vantrel\\uninstall.exe"$' <<<"$entry" ||
    fail "the Apps entry has no uninstaller: $entry"
classes=$(reg_query 'HKCU\Software\Classes' /s)
if [ $has_window = 1 ]; then
    [ -f "$folder/platforms/qwindows.dll" ] || fail "no Windows platform plugin: no window opens"
    [ -f "$shortcut" ] || fail "no Start-menu shortcut at $shortcut"
    supported=$(grep -A100 'Applications\\vantrel.exe\\SupportedTypes$' <<<"$classes")
    for ext in "${extensions[@]}"; do
        grep -q "^ *\\$ext *REG_SZ" <<<"$supported" || fail "vantrel.exe does not list $ext"
        grep -qi "^HKEY_CURRENT_USER\\\\Software\\\\Classes\\\\\\$ext\\\\OpenWithList\\\\vantrel.exe$" \
            <<<"$classes" || fail "vantrel.exe is not in \"Open with\" for $ext"
    done
    grep -qi 'shell\\open\\command$' <<<"$classes" || fail "no command to open a file with"
fi
step "installed per user into $folder"

# --- 2. The installed programs work ----------------------------------------------------------
clip="$work/clip ä.avi"
make_clip "$(windows_path "$clip")" wine "$folder/ffmpeg/ffmpeg.exe" || true
[ -s "$clip" ] || fail "the installed ffmpeg.exe made no clip"
mkdir "$work/out"
wine "$folder/vantrel-cli.exe" --profile 3 --out "$(windows_path "$work/out")" \
    "$(windows_path "$clip")" </dev/null || fail "the installed vantrel-cli.exe failed"
flv="$work/out/clip ä.flv"
probe=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$flv") ||
    fail "Linux's ffprobe cannot read $flv"
[ "$(sort <<<"$probe" | tr '\n' ' ')" = "flv1 mp3 " ] || fail "not flv1 and mp3: $probe"
step "the installed vantrel-cli.exe converted a clip"

if [ $has_window = 1 ]; then
    wine "$folder/vantrel.exe" --version </dev/null | grep -q "$version" ||
        fail "the installed vantrel.exe does not answer --version"
    start_window "$folder/vantrel.exe"
    step "the installed vantrel.exe started"
fi

# --- 3. The uninstaller removes it all -------------------------------------------------------
wine "$folder/uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
wait_uninstalled "$folder" "HKCU\\$uninstall_key"
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
left=$(reg_query 'HKCU\Software\Classes' /s | grep -i 'vantrel' || true)
[ -z "$left" ] || fail "the uninstaller left in the registry: $left"
step "uninstalled"

# --- 4. For all users --------------------------------------------------------------------------
wine "$installer" /S </dev/null >/dev/null 2>&1 || true
check_installed "$program_files/Vantrel"
grep -q "DisplayVersion *REG_SZ *$version\$" <<<"$(reg_query "HKLM\\$uninstall_key")" ||
    fail "no Apps entry for all users"
[ -z "$(reg_query "HKCU\\$uninstall_key")" ] || fail "an install for all users wrote a user's entry"
wine "$program_files/Vantrel/uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
wait_uninstalled "$program_files/Vantrel" "HKLM\\$uninstall_key"
left=$(reg_query 'HKLM\Software\Classes\Applications' /s | grep -i 'vantrel' || true)
[ -z "$left" ] || fail "the uninstaller left in the registry: $left"
step "installed and uninstalled for all users"

# --- 5. The portable zip -----------------------------------------------------------------------
(cd "$work" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
portable=$work/Vantrel
[ -f "$portable/portable.ini" ] || fail "the zip has no portable.ini"
[ "$(cd "$portable" && find . -type f ! -name portable.ini | sort)" = "$staged" ] ||
    fail "the zip's files differ from the installer's"
# What the installed window kept in the profile stays after an uninstall, as it should; the
# portable copy must not add to it.
rm -rf "$app_data/Vantrel" "$local_app_data/Vantrel"
# Settings beside the program: the output folder and profile a dry run shows come from there.
printf '[Settings]\r\nOut Path=%s\r\nFormat=3\r\n' "$(windows_path "$work/portable out")" \
    >"$portable/vantrel.ini"
dry=$(wine "$portable/vantrel-cli.exe" --dry-run "$(windows_path "$clip")" </dev/null | tr -d '\r') ||
    fail "the portable vantrel-cli.exe failed a dry run"
grep -qF 'portable out' <<<"$dry" || fail "the portable copy ignored its settings: $dry"
grep -qF '320x240' <<<"$dry" || fail "the portable copy did not take profile 3: $dry"
[ $has_window = 1 ] && start_window "$portable/vantrel.exe"
[ ! -e "$app_data/Vantrel" ] && [ ! -e "$local_app_data/Vantrel" ] ||
    fail "the portable copy wrote to the user's profile"
step "the portable zip keeps its settings beside the program"
passed=1
