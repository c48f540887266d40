#!/usr/bin/env bash
# Vantrel as users get it, outside the build folder.
#   dist_test.sh install   cmake --install into a scratch folder (DESTDIR, an unusual prefix):
#                          the layout, the two validators, the man pages, and the installed
#                          vantrel-cli probing a clip through the installed adapter.
#   dist_test.sh package   the Debian package built by CPack, unpacked with dpkg -x: its name,
#                          layout and dependencies, and the unpacked vantrel-cli converting a
#                          clip, checked with ffprobe.
# The build passes BUILD_DIR, VERSION, APP_ID and the install folders (BINDIR, TOOLDIR,
# DATADIR, MANDIR, relative to the prefix) in the environment.
set -euo pipefail

mode=${1:?usage: dist_test.sh install|package}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-dist-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The installed files under $1, exactly: the product and nothing else.
check_layout() {
    local expected actual
    expected=$(printf '%s\n' "$BINDIR/vantrel" "$BINDIR/vantrel-cli" "$TOOLDIR/DLL/ffmpeg" \
        "$DATADIR/applications/$APP_ID.desktop" "$DATADIR/metainfo/$APP_ID.metainfo.xml" \
        "$DATADIR/icons/hicolor/scalable/apps/$APP_ID.svg" \
        "$MANDIR/man1/vantrel.1.gz" "$MANDIR/man1/vantrel-cli.1.gz" | sort)
    actual=$(cd "$1" && find . -type f -printf '%P\n' | sort)
    [ "$actual" = "$expected" ] || fail "installed files differ from the product's:
$(diff <(echo "$expected") <(echo "$actual") || true)"
    for program in "$BINDIR/vantrel" "$BINDIR/vantrel-cli" "$TOOLDIR/DLL/ffmpeg"; do
        [ -x "$1/$program" ] || fail "$program is not executable"
    done
}

# Runs a program of the unpacked tree as a user would, with a home and settings of its own and
# no display.
run_user() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$scratch/home" \
        XDG_CONFIG_HOME="$scratch/config" "$@"
}

# Both programs answer --help and --version without a display; the man pages carry the version.
check_programs_and_man_pages() {
    local root=$1 program
    for program in vantrel vantrel-cli; do
        local help
        help=$(run_user "$root/$BINDIR/$program" --help)
        [[ ${help,} == "usage: $program "* ]] || fail "$program --help does not start with its usage"
        [ "$(run_user "$root/$BINDIR/$program" --version)" = "$program $VERSION" ] ||
            fail "$program --version does not say $program $VERSION"
        [[ $(zcat "$root/$MANDIR/man1/$program.1.gz") == *".TH "*"\"$program $VERSION\""* ]] ||
            fail "the man page of $program does not come from its --help and --version"
    done
}

make_clip() {
    ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=160x120:rate=10 \
        -f lavfi -i sine=frequency=440:sample_rate=22050 -t 1 -c:v mpeg4 -c:a mp2 "$1"
}

install_test() {
    # Any prefix works: the programs find the adapter relative to themselves.
    local prefix=/opt/vantrel-test root=$scratch/root/opt/vantrel-test
    DESTDIR=$scratch/root cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null
    check_layout "$root"
    check_programs_and_man_pages "$root"

    desktop-file-validate "$root/$DATADIR/applications/$APP_ID.desktop" ||
        fail "desktop-file-validate refuses the desktop entry"
    appstreamcli validate --no-net "$root/$DATADIR/metainfo/$APP_ID.metainfo.xml" ||
        fail "appstreamcli refuses the AppStream data"
    grep -q "<release version=\"$VERSION\"" "$root/$DATADIR/metainfo/$APP_ID.metainfo.xml" ||
        fail "the AppStream release is not $VERSION"

    local clip=$scratch/clip.avi probe
    make_clip "$clip"
    probe=$(run_user "$root/$BINDIR/vantrel-cli" --probe "$clip") ||
        fail "the installed vantrel-cli could not probe (status $?)"
    [ "$probe" = "$clip	00:00:01.0" ] || fail "the installed vantrel-cli probed: '$probe'"
}

package_test() {
    local arch deb
    arch=$(dpkg --print-architecture)
    deb=$scratch/vantrel_${VERSION}_$arch.deb
    cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$scratch" >/dev/null
    [ -f "$deb" ] || { fail "cpack did not write $deb"; return; }

    local root=$scratch/unpacked/usr
    dpkg -x "$deb" "$scratch/unpacked"
    check_layout "$root"
    check_programs_and_man_pages "$root"

    [ "$(dpkg-deb -f "$deb" Package)" = vantrel ] || fail "the package is not named vantrel"
    [ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || fail "the package version is not $VERSION"
    local depends dependency
    depends=$(dpkg-deb -f "$deb" Depends)
    for dependency in ffmpeg libc6 libstdc++6 libqt6widgets6; do
        [[ ", $depends," == *", $dependency "* || ", $depends," == *", $dependency,"* ]] ||
            fail "the package does not depend on $dependency: $depends"
    done

    local clip=$scratch/clip.avi out=$scratch/out status=0
    make_clip "$clip"
    run_user "$root/bin/vantrel-cli" --profile 3 --out "$out" "$clip" >"$scratch/cli.out" ||
        status=$?
    [ "$status" -eq 0 ] || fail "the unpacked vantrel-cli ended with status $status"
    [ "$(cat "$scratch/cli.out")" = "Complete	$clip" ] ||
        fail "the unpacked vantrel-cli said: $(cat "$scratch/cli.out")"
    local streams
    streams=$(ffprobe -v error -show_entries format=format_name:stream=codec_type,codec_name \
        -of csv=p=0 "$out/clip.flv" 2>&1) || true
    [ "$(sort <<<"$streams" | tr '\n' ' ')" = "flv flv1,video mp3,audio " ] ||
        fail "the converted clip is not FLV video with MP3 audio: $streams"
}

case "$mode" in
    install) install_test ;;
    package) package_test ;;
    *) echo "usage: dist_test.sh install|package" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "dist_test: $mode: all checks passed"
