#!/usr/bin/env bash
# Vantrel's benchmarks: what vantrel-cli costs next to running FFmpeg directly.
#   bench/run.sh BIN_FOLDER     (./run bench does this with build/bin)
#
# The clips are made with FFmpeg's lavfi sources in a temporary folder. Each figure is the
# median of REPS runs (default 5, or $VANTREL_BENCH_REPS), after one warm-up run:
#   probe  vantrel-cli --probe on 20 clips / `ffmpeg -i` on each in a shell loop
#   batch  vantrel-cli --profile 3 on ten 10-second clips / the same ten conversions by FFmpeg
#          with the options the adapter (bin/DLL/ffmpeg) hands it
#   cpu    vantrel-cli's own CPU time (not its children's) / the batch's wall time
# Run it on an otherwise idle machine: other work on the cores shows up in every figure.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:?usage: bench/run.sh BIN_FOLDER}" && pwd)
cli=$bin/vantrel-cli
reps=${VANTREL_BENCH_REPS:-5}

fail() {
    echo "bench: $*" >&2
    exit 1
}

[ -x "$cli" ] || fail "$cli is missing; build Vantrel first"
[ -x "$bin/DLL/ffmpeg" ] || fail "$bin/DLL/ffmpeg is missing; build Vantrel first"
ffmpeg=$(command -v ffmpeg) || fail "ffmpeg is not installed"
command -v g++ >/dev/null || fail "g++ is needed to build bench/cpu_of.cpp"

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The settings vantrel-cli reads are the benchmark's own; the user's stay untouched.
export XDG_CONFIG_HOME=$work/config

g++ -O2 -std=c++17 -o "$work/cpu_of" "$here/cpu_of.cpp"

# make_clip PATH SECONDS FREQUENCY: testsrc at 320x240, 25 fps, and a tone, in MPEG-4/MP2 AVI.
make_clip() {
    "$ffmpeg" -nostdin -v error -y -f lavfi -i testsrc=size=320x240:rate=25 \
        -f lavfi -i "sine=frequency=$3:sample_rate=44100" -t "$2" \
        -c:v mpeg4 -q:v 5 -c:a mp2 "$1" || fail "FFmpeg could not make $1"
}

echo "bench: making 20 probe clips and ten 10-second clips in $work"
mkdir -p "$work/probe" "$work/batch" "$work/out-cli" "$work/out-ffmpeg"
probe_clips=()
for i in $(seq -w 1 20); do
    make_clip "$work/probe/clip$i.avi" 2 $((200 + 10 * 10#$i))
    probe_clips+=("$work/probe/clip$i.avi")
done
batch_clips=()
for i in $(seq -w 1 10); do
    make_clip "$work/batch/clip$i.avi" 10 $((300 + 20 * 10#$i))
    batch_clips+=("$work/batch/clip$i.avi")
done

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

probe_cli() {
    local start end
    start=$(now)
    "$cli" --probe "${probe_clips[@]}" >"$work/probe.txt" || fail "vantrel-cli --probe failed"
    end=$(now)
    [ "$(grep -c $'\t00:00:02.0' "$work/probe.txt")" -eq 20 ] || fail "vantrel-cli --probe missed a length"
    elapsed "$start" "$end"
}

probe_ffmpeg() {
    local start end f
    start=$(now)
    for f in "${probe_clips[@]}"; do
        "$ffmpeg" -i "$f" 2>/dev/null || true  # no output file named: FFmpeg exits with 1
    done
    end=$(now)
    elapsed "$start" "$end"
}

# Prints the wall time and vantrel-cli's own CPU time.
batch_cli() {
    rm -f "$work/out-cli"/*.flv
    "$work/cpu_of" "$work/cpu.txt" "$cli" --profile 3 --out "$work/out-cli" "${batch_clips[@]}" \
        >/dev/null || fail "vantrel-cli --profile 3 failed"
    [ "$(find "$work/out-cli" -name '*.flv' | wc -l)" -eq 10 ] ||
        fail "vantrel-cli wrote fewer than ten FLVs"
    local own wall
    read -r own wall _ <"$work/cpu.txt"
    echo "$wall $own"
}

# The command line the adapter gives FFmpeg for profile 3.
batch_ffmpeg() {
    local start end f title
    rm -f "$work/out-ffmpeg"/*.flv
    start=$(now)
    for f in "${batch_clips[@]}"; do
        title=$(basename "$f" .avi)
        "$ffmpeg" -nostdin -y -i "$f" -metadata "title=$title" -c:a libmp3lame -ac 2 -ar 22050 \
            -b:a 96k -s 320x240 -r 20 -b:v 256k -f flv "$work/out-ffmpeg/$title.flv" 2>/dev/null ||
            fail "FFmpeg could not convert $f"
    done
    end=$(now)
    elapsed "$start" "$end"
}

echo "bench: warming up"
probe_cli >/dev/null
probe_ffmpeg >/dev/null
batch_cli >/dev/null
batch_ffmpeg >/dev/null

probe_cli_times=() probe_ffmpeg_times=() batch_cli_times=() batch_ffmpeg_times=() cpu_shares=()
for run in $(seq 1 "$reps"); do
    echo "bench: run $run of $reps"
    probe_cli_times+=("$(probe_cli)")
    probe_ffmpeg_times+=("$(probe_ffmpeg)")
    read -r wall own < <(batch_cli)
    batch_cli_times+=("$wall")
    cpu_shares+=("$(awk -v c="$own" -v w="$wall" 'BEGIN { printf "%.5f", c / w }')")
    batch_ffmpeg_times+=("$(batch_ffmpeg)")
done

pc=$(median "${probe_cli_times[@]}")
pf=$(median "${probe_ffmpeg_times[@]}")
bc=$(median "${batch_cli_times[@]}")
bf=$(median "${batch_ffmpeg_times[@]}")
cpu=$(median "${cpu_shares[@]}")

echo
echo "Medians of $reps runs ($(nproc) cores):"
printf 'probe  %6.3f  (vantrel-cli --probe %.3f s / ffmpeg -i loop %.3f s, 20 clips)      target at most 1.2\n' \
    "$(ratio "$pc" "$pf")" "$pc" "$pf"
printf 'batch  %6.3f  (vantrel-cli --profile 3 %.3f s / ffmpeg loop %.3f s, ten 10 s clips)  target at most 1.05\n' \
    "$(ratio "$bc" "$bf")" "$bc" "$bf"
# CPU time is counted in clock ticks: a share below one tick per batch reads as 0.
tick=$(awk -v hz="$(getconf CLK_TCK)" -v w="$bc" 'BEGIN { printf "%.2f", 100 / hz / w }')
printf 'cpu    %6.2f%% (vantrel-cli own CPU time / batch wall time; one clock tick is %s%%)    target under 2%%\n' \
    "$(awk -v c="$cpu" 'BEGIN { printf "%.2f", 100 * c }')" "$tick"
