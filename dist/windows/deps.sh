#!/usr/bin/env bash
# Cross-builds what the Windows build needs and ships, from Debian's own sources, with the
# toolchain in cmake/toolchain-mingw-w64.cmake:
#   - GoogleTest, from the googletest package's /usr/src/googletest, for the test programs;
#   - LAME, x264 and a small static FFmpeg (ffmpeg.exe, ffprobe.exe) from Debian's source
#     packages, with just the encoders, formats and filters Vantrel's profiles, its probe and the
#     tests' lavfi clips use, and each one's licence and source version beside the programs.
#
# Everything goes into a cache outside the work tree, one folder per key:
#   ${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}/win64-<key>
# where the key covers the source versions, the compiler, nasm, the configure lines and the
# toolchain file, so that a change to any of them builds again and an unchanged one is skipped
# (stage by stage, so an interrupted build carries on where it stopped). Build trees and logs
# go to <folder>/build and <folder>/logs. One line per stage goes to standard error; the
# folder is printed on standard output, for cmake's -DVANTREL_WIN_DEPS=.
#
# The sources are fetched with a private apt sources list and state folder inside the cache:
# the machine's apt configuration is never changed. VANTREL_DEPS_JOBS sets make's -j (default:
# the number of processors).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake" && pwd)/toolchain-mingw-w64.cmake
cache=${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}
jobs=${VANTREL_DEPS_JOBS:-$(nproc)}
triple=x86_64-w64-mingw32
cc=$triple-gcc-posix
cxx=$triple-g++-posix

say() { echo "deps: $*" >&2; }
die() { say "$*"; exit 1; }

for tool in "$cc" "$cxx" nasm cmake dpkg-source apt-get; do
    command -v "$tool" >/dev/null || die "$tool is missing (./run installs what the Windows build needs)"
done
[ -f /usr/src/googletest/CMakeLists.txt ] || die "/usr/src/googletest is missing (the googletest package)"

# The source versions: those the machine's own package index offers for the Debian packages,
# so the Windows FFmpeg is the same release as the Linux one the tests compare it with.
candidate() {
    apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ { print $2 }'
}
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
lame_version=$(candidate lame)
x264_version=$(candidate x264)
ffmpeg_version=$(candidate ffmpeg)
for v in lame_version x264_version ffmpeg_version; do
    [ -n "${!v}" ] && [ "${!v}" != "(none)" ] || die "apt knows no ${v%_version} package (apt-get update first)"
done

# The configure lines; $prefix stands for the cache folder and is put in when they run.
lame_configure=(--host=$triple --enable-static --disable-shared --disable-frontend
                --disable-gtktest --disable-decoder)
x264_configure=(--host=$triple --cross-prefix=$triple- --enable-static --disable-cli
                --disable-opencl --bit-depth=8 --disable-lavf --disable-swscale
                --disable-ffms --disable-gpac --disable-lsmash --enable-strip)
ffmpeg_configure=(
    --target-os=mingw32 --arch=x86_64 --cross-prefix=$triple- --cc=$cc --cxx=$cxx
    --pkg-config=pkg-config --pkg-config-flags=--static
    --enable-static --disable-shared --enable-gpl
    --disable-autodetect --enable-w32threads --disable-everything --disable-doc
    --disable-network --disable-debug --disable-ffplay --enable-ffmpeg --enable-ffprobe
    --enable-libmp3lame --enable-libx264
    --enable-protocol=file,pipe
    --enable-indev=lavfi
    # The profiles' encoders and FLV; the encoders and containers of the tests' clips.
    --enable-encoder=flv,libmp3lame,libx264,aac,wrapped_avframe,mpeg4,mjpeg,mpeg1video,mpeg2video,mp2,pcm_s16le,wmv2,wmav2
    --enable-muxer=flv,avi,mpeg1system,mpeg2vob,mpegts,mp4,mov,tgp,matroska,asf,wav,null
    # What Vantrel accepts: MPEG-1/2 program and transport streams, VOB, AVI, MP4/MOV/3GP,
    # ASF/WMV, FLV, Matroska/WebM, and the codecs usually found in them.
    --enable-demuxer=mpegps,mpegts,mpegvideo,m4v,h264,hevc,avi,mov,asf,flv,live_flv,matroska,wav,mp3,aac,ac3,ogg
    --enable-decoder=h264,hevc,mpeg1video,mpeg2video,mpeg4,msmpeg4v1,msmpeg4v2,msmpeg4v3,wmv1,wmv2,wmv3,vc1,flv,h263,h263p,h261,mjpeg,vp6,vp6a,vp6f,vp8,vp9,theora,dvvideo,rawvideo,svq1,svq3,cinepak,qtrle,msvideo1,mp1,mp1float,mp2,mp2float,mp3,mp3float,aac,aac_latm,ac3,eac3,dca,flac,vorbis,opus,wmav1,wmav2,wmapro,amrnb,amrwb,nellymoser,pcm_s16le,pcm_s16be,pcm_u8,pcm_s24le,pcm_f32le,pcm_alaw,pcm_mulaw,adpcm_ima_wav,adpcm_ms,adpcm_swf
    --enable-parser=h264,hevc,mpeg4video,mpegvideo,mpegaudio,aac,aac_latm,ac3,dca,vc1,vp8,vp9,h263,flac,opus,vorbis,mjpeg
    --enable-bsf=aac_adtstoasc,h264_mp4toannexb,extract_extradata,mpeg4_unpack_bframes
    # The tests' sources and what the profiles and ffmpeg's own option handling insert.
    --enable-filter=testsrc,testsrc2,sine,anullsrc,scale,format,aformat,aresample,fps,null,anull,trim,atrim,setpts,asetpts,transpose,hflip,vflip,pad,setsar,setdar,crop
)

# Bump when the build steps below change in a way the lines above do not show.
recipe=1
key_text=$(printf '%s\n' "recipe $recipe" "googletest $gtest_version" "lame $lame_version" \
    "x264 $x264_version" "ffmpeg $ffmpeg_version" "$("$cxx" --version | head -1)" \
    "$(nasm -v)" "${lame_configure[*]}" "${x264_configure[*]}" "${ffmpeg_configure[*]}"
    cat "$toolchain")
key=$(printf '%s' "$key_text" | sha256sum | cut -c1-16)
prefix=$cache/win64-$key
mkdir -p "$prefix/logs" "$prefix/build" "$prefix/stamps"
printf '%s\n' "$key_text" >"$prefix/key.txt"

# Two work trees building at once wait for each other rather than build the same thing twice.
exec 9>"$prefix/lock"
flock 9

source "$here/stages.sh"
fetch_deps_sources() {
    fetch_sources "lame=$lame_version" "x264=$x264_version" "ffmpeg=$ffmpeg_version"
}

# unpack PACKAGE: a fresh tree of the Debian source, its patches applied, in build/PACKAGE.
unpack() {
    local v=${1}_version
    rm -rf "$prefix/build/$1"
    dpkg-source -x "$(dsc "$1" "${!v}")" "$prefix/build/$1"
    cd "$prefix/build/$1"
}

build_googletest() {
    rm -rf "$prefix/build/googletest"
    cmake -S /usr/src/googletest -B "$prefix/build/googletest" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix"
    cmake --build "$prefix/build/googletest" -j "$jobs"
    cmake --install "$prefix/build/googletest"
}

build_lame() {
    unpack lame
    CC=$cc ./configure --prefix="$prefix" "${lame_configure[@]}"
    make -j "$jobs"
    make install
}

build_x264() {
    unpack x264
    CC=$cc ./configure --prefix="$prefix" "${x264_configure[@]}"
    make -j "$jobs"
    make install
}

build_ffmpeg() {
    unpack ffmpeg
    PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig PKG_CONFIG_PATH= ./configure --prefix="$prefix" \
        "${ffmpeg_configure[@]}" --extra-cflags="-I$prefix/include" \
        --extra-ldflags="-L$prefix/lib -static"
    make -j "$jobs"
    make install
}

# What is shipped beside the programs: bin/ffmpeg.exe, bin/ffprobe.exe, each source's licence
# and Debian copyright file, and the versions and configure lines they were built from.
place_ffmpeg() {
    local out=$prefix/ffmpeg p v
    rm -rf "$out"
    mkdir -p "$out/licenses"
    cp "$prefix/bin/ffmpeg.exe" "$prefix/bin/ffprobe.exe" "$out/"
    for p in ffmpeg lame x264; do
        unpack "$p" >/dev/null
        mkdir -p "$out/licenses/$p"
        cp debian/copyright "$out/licenses/$p/copyright"
        case $p in
            ffmpeg) cp COPYING.GPLv2 LICENSE.md "$out/licenses/$p/" ;;
            lame) cp COPYING LICENSE "$out/licenses/$p/" ;;
            x264) cp COPYING "$out/licenses/$p/" ;;
        esac
        rm -rf "$prefix/build/$p"
    done
    {
        echo "ffmpeg.exe and ffprobe.exe are FFmpeg, built with LAME and x264 (GPL version 2 or"
        echo "later; see licenses/). They were cross-built with MinGW-w64 from these Debian source"
        echo "packages, available from https://snapshot.debian.org/ and deb.debian.org:"
        echo
        echo "  ffmpeg $ffmpeg_version"
        echo "  lame   $lame_version"
        echo "  x264   $x264_version"
        echo
        echo "Compiler: $("$cxx" --version | head -1)"
        echo "FFmpeg configure: ${ffmpeg_configure[*]}"
        echo "LAME configure: ${lame_configure[*]}"
        echo "x264 configure: ${x264_configure[*]}"
    } >"$out/SOURCES.txt"
}

stage googletest build_googletest
stage sources fetch_deps_sources
stage lame build_lame
stage x264 build_x264
stage ffmpeg build_ffmpeg
stage place place_ffmpeg
rm -rf "$prefix/build"
echo "$prefix"
