#!/usr/bin/env bash
# Cross-builds the Qt the Windows window needs, from Debian's own source package of qtbase, at
# the version of the machine's Qt host tools (moc, rcc, uic), which a cross-build of Qt 6 must
# match: Core, Gui, Widgets, Network and Test as shared libraries, with the Windows platform
# plugin and the native Windows style; without OpenGL,
# D-Bus, SQL, printing and concurrent; zlib, PCRE, PNG, JPEG, FreeType and HarfBuzz bundled.
#
# Qt is linked against MinGW's shared C++ runtime (libstdc++, libgcc_s, winpthread), which is
# shipped beside vantrel.exe: every Qt DLL and the window share one runtime.
#
# The result is cached outside the work tree, in one folder per key:
#   ${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}/qt-win64-<key>
# where the key covers the source versions, the compiler and the configure lines. Only the
# first run on a machine builds (about 25 minutes on two processors). The prefix is printed on
# standard output, for cmake's -DVANTREL_WIN_QT=; one line per stage goes to standard error.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}
jobs=${VANTREL_DEPS_JOBS:-$(nproc)}
triple=x86_64-w64-mingw32
cc=$triple-gcc-posix
cxx=$triple-g++-posix

say() { echo "qt: $*" >&2; }
die() { say "$*"; exit 1; }

for tool in "$cc" "$cxx" cmake ninja dpkg-source apt-get; do
    command -v "$tool" >/dev/null || die "$tool is missing (./run installs what the Windows build needs)"
done
[ -x /usr/lib/qt6/libexec/moc ] || die "Qt's host tools are missing (qt6-base-dev-tools)"

# The host tools' version decides the sources'.
qtbase_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

qtbase_configure=(
    -release -shared -xplatform win32-g++ -qt-host-path /usr
    -nomake examples -nomake tests -no-pch
    -no-opengl -no-dbus -no-feature-sql -no-feature-printsupport -no-feature-concurrent
    -no-feature-tabletevent -no-icu -no-feature-system-proxies
    -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -no-fontconfig
    -no-feature-vulkan -no-feature-testlib_selfcover
)

# Bump when the build steps below change in a way the lines above do not show.
recipe=2
key_text=$(printf '%s\n' "recipe $recipe" "qtbase $qtbase_version" \
    "$("$cxx" --version | head -1)" "${qtbase_configure[*]}")
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-16)
prefix=$cache/qt-win64-$key
mkdir -p "$prefix/logs" "$prefix/build" "$prefix/stamps"
printf '%s\n' "$key_text" >"$prefix/key.txt"

exec 9>"$prefix/lock"
flock 9

source "$here/stages.sh"
fetch_qt_sources() { fetch_sources "qt6-base=$qtbase_version"; }


unpack() {
    rm -rf "$prefix/build/$1"
    dpkg-source -x "$(dsc "$1" "$2")" "$prefix/build/$1"
}

build_qtbase() {
    # An interrupted build carries on where it stopped: the configured tree is kept until the
    # install is done.
    if [ -f "$prefix/build/qtbase-build/build.ninja" ]; then
        cd "$prefix/build/qtbase-build"
        cmake --build . --parallel "$jobs"
        cmake --install .
        rm -rf "$prefix/build/qt6-base" "$prefix/build/qtbase-build"
        return 0
    fi
    unpack qt6-base "$qtbase_version"
    mkdir -p "$prefix/build/qtbase-build"
    cd "$prefix/build/qtbase-build"
    "$prefix/build/qt6-base/configure" -prefix "$prefix" "${qtbase_configure[@]}" -- \
        -G Ninja -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake \
        -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
        -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
        -DCMAKE_RC_COMPILER=$triple-windres -DCMAKE_FIND_ROOT_PATH=/usr/$triple \
        -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
        -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY
    cmake --build . --parallel "$jobs"
    cmake --install .
    rm -rf "$prefix/build/qt6-base" "$prefix/build/qtbase-build"
}

# What the window ships besides Qt: MinGW's C++ runtime, and Qt's licences.
place_runtime() {
    local dll
    mkdir -p "$prefix/runtime" "$prefix/licenses"
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        cp "$("$cxx" -print-file-name="$dll")" "$prefix/runtime/" 2>/dev/null ||
            cp "$(find /usr/lib/gcc/$triple /usr/$triple/lib -name "$dll" -path '*posix*' | head -1)" \
                "$prefix/runtime/" 2>/dev/null ||
            cp "$(find /usr/lib/gcc/$triple /usr/$triple/lib -name "$dll" | head -1)" "$prefix/runtime/"
    done
    unpack qt6-base "$qtbase_version"
    cp "$prefix/build/qt6-base/LICENSES/"* "$prefix/licenses/" 2>/dev/null || true
    cp "$prefix/build/qt6-base/debian/copyright" "$prefix/licenses/qtbase-copyright"
    rm -rf "$prefix/build/qt6-base"
    printf 'Qt %s (Debian source qt6-base %s), cross-built with %s\nconfigure: %s\n' \
        "${qtbase_version%%+*}" "$qtbase_version" "$("$cxx" --version | head -1)" \
        "${qtbase_configure[*]}" >"$prefix/licenses/SOURCES.txt"
}

stage sources fetch_qt_sources
stage qtbase build_qtbase
stage runtime place_runtime
rm -rf "$prefix/build"
echo "$prefix"
