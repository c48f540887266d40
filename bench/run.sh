#!/usr/bin/env bash
# Vantrel's benchmarks: what vantrel-cli costs next to running FFmpeg directly.
#   bench/run.sh BIN_FOLDER [SECTION...]     (./run bench [SECTION...] does this with build/bin)
# The sections are probe, batch and verify; all three when none is named.
#
# The clips are made with FFmpeg's lavfi sources in a temporary folder. Each figure is the
# median of REPS runs (default 5, or $VANTREL_BENCH_REPS), after one warm-up run, and all are
# measured in the same run of this script:
#   probe      vantrel-cli --probe --jobs 1 on 20 clips / `ffmpeg -i` on each in a shell loop
#   probe -j2  vantrel-cli --probe --jobs 2 on the same clips / the same loop
#   machine    the same probes by FFmpeg two at a time (xargs -P2) / the same loop: how much
#              two at once can gain on this machine at all, for reading the line above
#   batch      vantrel-cli --jobs 1 --profile 3 on ten 10-second clips / the same ten
#              conversions by FFmpeg one at a time, with the options the adapter
#              (bin/DLL/ffmpeg) hands it
#   batch -j2  vantrel-cli --jobs 2 / FFmpeg two at a time (xargs -P2)
#   jobs gain  vantrel-cli --jobs 2 / FFmpeg one at a time: what two at once buy
#   cpu        vantrel-cli's own CPU time (not its children's) / the batch's wall time
#   verify P   vantrel-cli --jobs 1 --profile P on a batch of ten 60-second clips at 640x480
#              (real videos are minutes long and larger than the results, which the check
#              decodes; $VANTREL_BENCH_VERIFY_CLIPS, $VANTREL_BENCH_VERIFY_SECONDS and
#              $VANTREL_BENCH_VERIFY_SIZE change them; each check runs beside the next
#              conversion, so the batch's size decides how much of the last, unhidden one
#              shows), each result read back
#              by FFmpeg before it counts as complete (the default) / the same with --no-verify,
#              for the profiles 1 to 6 (the batch figures above use --no-verify); the two runs
#              of a pair take turns going first, and the figure is the median of the pairs'
#              own ratios, with their range
# Run it on an otherwise idle machine: other work on the cores shows up in every figure.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "${1:?usage: bench/run.sh BIN_FOLDER [probe|batch|verify]...}" && pwd)
shift
sections=("$@")
[ ${#sections[@]} -eq 0 ] && sections=(probe batch verify)
cli=$bin/vantrel-cli
reps=${VANTREL_BENCH_REPS:-5}
verify_seconds=${VANTREL_BENCH_VERIFY_SECONDS:-60}
verify_count=${VANTREL_BENCH_VERIFY_CLIPS:-10}
verify_size=${VANTREL_BENCH_VERIFY_SIZE:-640x480}

fail() {
    echo "bench: $*" >&2
    exit 1
}

for section in "${sections[@]}"; do
    case $section in
        probe | batch | verify) ;;
        *) fail "no section '$section': probe, batch or verify" ;;
    esac
done
# wants SECTION: whether the section was asked for.
wants() { [[ " ${sections[*]} " == *" $1 "* ]]; }

[ -x "$cli" ] || fail "$cli is missing; build Vantrel first"
[ -x "$bin/DLL/ffmpeg" ] || fail "$bin/DLL/ffmpeg is missing; build Vantrel first"
ffmpeg=$(command -v ffmpeg) || fail "ffmpeg is not installed"
command -v g++ >/dev/null || fail "g++ is needed to build bench/cpu_of.cpp"

work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# The settings vantrel-cli reads are the benchmark's own; the user's stay untouched.
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state

g++ -O2 -std=c++17 -o "$work/cpu_of" "$here/cpu_of.cpp"

# make_clip PATH SECONDS FREQUENCY [SIZE]: testsrc at SIZE (320x240 unless given), 25 fps, and a
# tone, in MPEG-4/MP2 AVI.
make_clip() {
    "$ffmpeg" -nostdin -v error -y -f lavfi -i "testsrc=size=${4:-320x240}:rate=25" \
        -f lavfi -i "sine=frequency=$3:sample_rate=44100" -t "$2" \
        -c:v mpeg4 -q:v 5 -c:a mp2 "$1" || fail "FFmpeg could not make $1"
}

echo "bench: making the clips (${sections[*]}) in $work"
mkdir -p "$work/probe" "$work/batch" "$work/verify" "$work/out-cli" "$work/out-ffmpeg"
probe_clips=()
if wants probe; then
    for i in $(seq -w 1 20); do
        make_clip "$work/probe/clip$i.avi" 2 $((200 + 10 * 10#$i))
        probe_clips+=("$work/probe/clip$i.avi")
    done
fi
batch_clips=()
if wants batch; then
    for i in $(seq -w 1 10); do
        make_clip "$work/batch/clip$i.avi" 10 $((300 + 20 * 10#$i))
        batch_clips+=("$work/batch/clip$i.avi")
    done
fi
verify_clips=()
if wants verify; then
    for i in $(seq 1 "$verify_count"); do
        make_clip "$work/verify/clip$i.avi" "$verify_seconds" $((500 + 40 * i)) "$verify_size"
        verify_clips+=("$work/verify/clip$i.avi")
    done
fi

now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# FFmpeg converting one clip as the adapter has it do for profile 3:
#   ffmpeg_one.sh OUT_FOLDER SOURCE
cat >"$work/ffmpeg_one.sh" <<SCRIPT
#!/usr/bin/env bash
title=\$(basename "\$2" .avi)
exec "$ffmpeg" -nostdin -loglevel level+info -y -i "\$2" -metadata "title=\$title" -c:a libmp3lame -ac 2 -ar 22050 \\
    -b:a 96k -s 320x240 -r 20 -b:v 256k -f flv "\$1/\$title.flv" 2>/dev/null
SCRIPT
chmod +x "$work/ffmpeg_one.sh"

# probe_cli JOBS: the wall time of vantrel-cli --probe on the 20 clips.
probe_cli() {
    local start end
    start=$(now)
    "$cli" --probe --jobs "$1" "${probe_clips[@]}" >"$work/probe.txt" ||
        fail "vantrel-cli --probe --jobs $1 failed"
    end=$(now)
    [ "$(grep -c $'\t00:00:02.0' "$work/probe.txt")" -eq 20 ] ||
        fail "vantrel-cli --probe --jobs $1 missed a length"
    elapsed "$start" "$end"
}

# probe_ffmpeg [AT_ONCE]: the wall time of `ffmpeg -i` on the 20 clips, one after the other in
# a shell loop, or AT_ONCE at a time by xargs (what the machine itself allows).
probe_ffmpeg() {
    local start end f
    start=$(now)
    if [ -n "${1:-}" ]; then
        printf '%s\0' "${probe_clips[@]}" | xargs -0 -n1 -P"$1" "$ffmpeg" -i 2>/dev/null || true
    else
        for f in "${probe_clips[@]}"; do
            "$ffmpeg" -i "$f" 2>/dev/null || true  # no output file named: FFmpeg exits with 1
        done
    fi
    end=$(now)
    elapsed "$start" "$end"
}

# batch_cli JOBS: the wall time and vantrel-cli's own CPU time of the ten conversions.
batch_cli() {
    rm -f "$work/out-cli"/*.flv
    "$work/cpu_of" "$work/cpu.txt" "$cli" --jobs "$1" --profile 3 --no-verify \
        --out "$work/out-cli" "${batch_clips[@]}" >/dev/null ||
        fail "vantrel-cli --jobs $1 --profile 3 failed"
    [ "$(find "$work/out-cli" -name '*.flv' | wc -l)" -eq 10 ] ||
        fail "vantrel-cli --jobs $1 wrote fewer than ten FLVs"
    local own wall
    read -r own wall _ <"$work/cpu.txt"
    echo "$wall $own"
}

# batch_ffmpeg AT_ONCE: the wall time of the ten conversions by FFmpeg, AT_ONCE at a time.
batch_ffmpeg() {
    local start end
    rm -f "$work/out-ffmpeg"/*.flv
    start=$(now)
    printf '%s\0' "${batch_clips[@]}" |
        xargs -0 -n1 -P"$1" "$work/ffmpeg_one.sh" "$work/out-ffmpeg" ||
        fail "FFmpeg could not convert the clips $1 at a time"
    end=$(now)
    [ "$(find "$work/out-ffmpeg" -name '*.flv' | wc -l)" -eq 10 ] ||
        fail "FFmpeg wrote fewer than ten FLVs"
    elapsed "$start" "$end"
}

# verify_cli PROFILE [--no-verify]: the wall time of the verify clips' conversions one at a
# time.
verify_cli() {
    local start end
    rm -f "$work/out-cli"/*.flv
    start=$(now)
    "$cli" --jobs 1 --profile "$1" ${2:+"$2"} --out "$work/out-cli" "${verify_clips[@]}" \
        >/dev/null || fail "vantrel-cli --profile $1 ${2:-} failed"
    end=$(now)
    [ "$(find "$work/out-cli" -name '*.flv' | wc -l)" -eq ${#verify_clips[@]} ] ||
        fail "vantrel-cli --profile $1 ${2:-} wrote too few FLVs"
    elapsed "$start" "$end"
}

echo "bench: warming up"
if wants probe; then
    probe_cli 2 >/dev/null
    probe_ffmpeg >/dev/null
fi
if wants batch; then
    batch_cli 2 >/dev/null
    batch_ffmpeg 2 >/dev/null
fi
wants verify && verify_cli 3 >/dev/null

share() { awk -v c="$1" -v w="$2" 'BEGIN { printf "%.5f", c / w }'; }
probe1=() probe2=() probe_loop=() probe_xargs=() batch1=() batch2=() ffmpeg1=() ffmpeg2=() cpu1=() cpu2=()
for run in $(seq 1 "$reps"); do
    wants probe || wants batch || break
    echo "bench: run $run of $reps"
    if wants probe; then
        probe1+=("$(probe_cli 1)")
        probe2+=("$(probe_cli 2)")
        probe_loop+=("$(probe_ffmpeg)")
        probe_xargs+=("$(probe_ffmpeg 2)")
    fi
    if wants batch; then
        read -r wall own < <(batch_cli 1)
        batch1+=("$wall")
        cpu1+=("$(share "$own" "$wall")")
        read -r wall own < <(batch_cli 2)
        batch2+=("$wall")
        cpu2+=("$(share "$own" "$wall")")
        ffmpeg1+=("$(batch_ffmpeg 1)")
        ffmpeg2+=("$(batch_ffmpeg 2)")
    fi
done

# With and without the check in turns, the order switching every run, so that a machine whose
# load drifts weighs on both alike.
declare -A verify_on verify_off verify_ratio verify_range
for profile in 1 2 3 4 5 6; do
    wants verify || break
    on=() off=()
    for run in $(seq 1 "$reps"); do
        echo "bench: verification, profile $profile, run $run of $reps"
        if ((run % 2)); then
            on+=("$(verify_cli "$profile")")
            off+=("$(verify_cli "$profile" --no-verify)")
        else
            off+=("$(verify_cli "$profile" --no-verify)")
            on+=("$(verify_cli "$profile")")
        fi
    done
    echo "bench: profile $profile with the check ${on[*]} s, without ${off[*]} s"
    verify_on[$profile]=$(median "${on[@]}")
    verify_off[$profile]=$(median "${off[@]}")
    # Each pair ran back to back, so its own ratio is spared the load that drifts between pairs.
    ratios=()
    for i in "${!on[@]}"; do ratios+=("$(ratio "${on[$i]}" "${off[$i]}")"); done
    verify_ratio[$profile]=$(median "${ratios[@]}")
    verify_range[$profile]=$(printf '%s\n' "${ratios[@]}" | sort -g | sed -n '1p;$p' | paste -sd-)
done

cores=$(nproc)

# figure NAME RATIO LIMIT TEXT: one line, with whether RATIO is at most LIMIT.
figure() {
    local met
    met=$(awk -v r="$2" -v l="$3" 'BEGIN { print (r <= l) ? "met" : "MISSED" }')
    printf '%-10s %6.3f  target at most %-4s %-6s  %s\n' "$1" "$2" "$3" "$met" "$4"
}

echo
echo "Medians of $reps runs on $cores cores:"
if wants probe; then
    p1=$(median "${probe1[@]}")
    p2=$(median "${probe2[@]}")
    pl=$(median "${probe_loop[@]}")
    px=$(median "${probe_xargs[@]}")
    figure probe "$(ratio "$p1" "$pl")" 1.2 \
        "vantrel-cli --probe --jobs 1 $p1 s / ffmpeg -i loop $pl s, 20 clips"
    figure "probe -j2" "$(ratio "$p2" "$pl")" 0.7 \
        "vantrel-cli --probe --jobs 2 $p2 s / ffmpeg -i loop $pl s"
    printf '%-10s %6.3f  (no target: the same probes by FFmpeg two at a time, xargs -P2 %s s / loop)\n' \
        "machine" "$(ratio "$px" "$pl")" "$px"
fi
if wants batch; then
    b1=$(median "${batch1[@]}")
    b2=$(median "${batch2[@]}")
    f1=$(median "${ffmpeg1[@]}")
    f2=$(median "${ffmpeg2[@]}")
    figure batch "$(ratio "$b1" "$f1")" 1.05 \
        "vantrel-cli --jobs 1 $b1 s / FFmpeg one at a time $f1 s, ten 10 s clips"
    figure "batch -j2" "$(ratio "$b2" "$f2")" 1.05 \
        "vantrel-cli --jobs 2 $b2 s / FFmpeg two at a time (xargs -P2) $f2 s"
    figure "jobs gain" "$(ratio "$b2" "$f1")" 0.7 \
        "vantrel-cli --jobs 2 $b2 s / FFmpeg one at a time $f1 s; the target is for 2 cores, here $cores"
    # CPU time is counted in clock ticks: a share below one tick per batch reads as 0.
    for jobs in 1 2; do
        if [ "$jobs" = 1 ]; then cpu=$(median "${cpu1[@]}") wall=$b1; else cpu=$(median "${cpu2[@]}") wall=$b2; fi
        pct=$(awk -v c="$cpu" 'BEGIN { printf "%.2f", 100 * c }')
        tick=$(awk -v hz="$(getconf CLK_TCK)" -v w="$wall" 'BEGIN { printf "%.2f", 100 / hz / w }')
        met=$(awk -v p="$pct" 'BEGIN { print (p < 2) ? "met" : "MISSED" }')
        printf '%-10s %5.2f%%  target under 2%%     %-6s  vantrel-cli --jobs %s own CPU time / wall time (a clock tick is %s%%)\n' \
            "cpu -j$jobs" "$pct" "$met" "$jobs" "$tick"
    done
fi
if wants verify; then
    for profile in 1 2 3 4 5 6; do
        figure "verify $profile" "${verify_ratio[$profile]}" 1.10 \
            "vantrel-cli --profile $profile / with --no-verify, the median of the pairs' ratios (${verify_range[$profile]}); medians ${verify_on[$profile]} s / ${verify_off[$profile]} s, $verify_count clips of $verify_seconds s at $verify_size"
    done
fi
