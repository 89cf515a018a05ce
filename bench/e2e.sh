#!/usr/bin/env bash
# End to end: moviesnap against the ffmpeg command line on generated
# 1920 x 1080 H.264 movies (keyframes every 50 and every 250 frames), in one
# run. Each case is timed several times (wall clock, median) and printed with
# the ratio ours / ffmpeg's (below 1: we are faster).
#
#   one still at frame 175 and at the middle of the movie, against
#     ffmpeg -ss T -i MOVIE -frames:v 1 OUT.jpg     (fast road: not frame-accurate)
#     ffmpeg -i MOVIE -vf select=eq(n\,N) ...       (frame-accurate road)
#   a batch of every 25th frame, against ffmpeg -vf select=not(mod(n\,25))
#   a 2 x enlargement with bspline, against ffmpeg -vf scale=3840:2160:flags=bicubic
#
# Usage: bench/e2e.sh [build folder, default build] [repetitions, default 5]
# Needs ffmpeg (scripts/setup --bench). The movies are made once and kept in
# the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
reps="${2:-5}"
snap="$build/moviesnap"
[[ -x "$snap" ]] || { echo "e2e: no $snap; build first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "e2e: ffmpeg is missing (scripts/setup --bench)" >&2; exit 1; }

media="$build/bench-media"
mkdir -p "$media"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fps=25
frames=600          # 24 seconds
middle=$((frames / 2 + 13))   # not on a keyframe of either movie
still=175

for gop in 50 250; do
    movie="$media/hd_gop$gop.mp4"
    if [[ ! -s "$movie" ]]; then
        echo "e2e: making $movie" >&2
        ffmpeg -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=$fps" -frames:v "$frames" \
            -c:v libx264 -preset veryfast -pix_fmt yuv420p -g "$gop" -keyint_min "$gop" \
            -sc_threshold 0 -bf 2 "$movie"
    fi
done

# Median wall-clock and median CPU (user + system) milliseconds of running
# "$@" $reps times after one warm-up, as "wall cpu". On a shared machine the CPU
# time is the steadier of the two.
TIMEFORMAT="%3R %3U %3S"
median_ms() {
    "$@" >/dev/null 2>&1
    local walls=() cpus=() i line real user sys
    for ((i = 0; i < reps; i++)); do
        line=$({ time "$@" >/dev/null 2>&1; } 2>&1)
        read -r real user sys <<<"$line"
        walls+=("$(awk -v r="$real" 'BEGIN {printf "%.1f", r * 1000}')")
        cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN {printf "%.1f", (u + s) * 1000}')")
    done
    local mw mc
    mw=$(printf '%s\n' "${walls[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    mc=$(printf '%s\n' "${cpus[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    echo "$mw $mc"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
seconds() { awk -v n="$1" -v f="$fps" 'BEGIN {printf "%.6f", n / f}'; }

# ffmpeg's JPEGs at its best quality scale, as ours are at the default quality.
ffq=(-q:v 2)

# One line: the case, wall and CPU ms of ours and of each peer road, and the ratios.
row() { # name ours fast exact   (each "wall cpu" or "-")
    local name=$1 ow oc fw fc ew ec
    read -r ow oc <<<"$2"
    read -r fw fc <<<"${3/-/- -}"
    read -r ew ec <<<"${4/-/- -}"
    r() { if [[ $2 == - ]]; then echo -; else ratio "$1" "$2"; fi; }
    printf '%-30s %8s %8s | %8s %8s | %8s %8s | %6s %6s | %6s %6s\n' "$name" "$ow" "$oc" "$fw" \
        "$fc" "$ew" "$ec" "$(r "$ow" "$fw")" "$(r "$oc" "$fc")" "$(r "$ow" "$ew")" "$(r "$oc" "$ec")"
}

printf '%-30s %8s %8s | %8s %8s | %8s %8s | %6s %6s | %6s %6s\n' case ours_ms cpu_ms fast_ms \
    cpu_ms exact_ms cpu_ms r_fast cpu r_exact cpu
for gop in 50 250; do
    movie="$media/hd_gop$gop.mp4"
    for n in $still $middle; do
        t=$(seconds "$n")
        ours=$(median_ms "$snap" "$movie" --frame "$n" -o "$work/ours.jpg")
        fast=$(median_ms ffmpeg -v error -y -ss "$t" -i "$movie" -frames:v 1 "${ffq[@]}" \
            -update 1 "$work/fast.jpg")
        exact=$(median_ms ffmpeg -v error -y -i "$movie" -vf "select=eq(n\,$n)" -vsync 0 \
            -frames:v 1 "${ffq[@]}" -update 1 "$work/exact.jpg")
        row "gop$gop still frame $n" "$ours" "$fast" "$exact"
    done

    rm -rf "$work/b" && mkdir -p "$work/b"
    ours=$(median_ms "$snap" "$movie" --every 25 -q -o "$work/b/o_%05d.jpg")
    theirs=$(median_ms ffmpeg -v error -y -i "$movie" -vf "select=not(mod(n\,25))" -vsync 0 \
        "${ffq[@]}" "$work/b/f_%05d.jpg")
    row "gop$gop batch every 25th" "$ours" "-" "$theirs"

    t=$(seconds "$still")
    ours=$(median_ms "$snap" "$movie" --frame "$still" --scale 10 --interp bspline \
        -o "$work/big.jpg")
    theirs=$(median_ms ffmpeg -v error -y -ss "$t" -i "$movie" -frames:v 1 \
        -vf "scale=3840:2160:flags=bicubic" "${ffq[@]}" -update 1 "$work/bigf.jpg")
    row "gop$gop 2x bspline frame $still" "$ours" "$theirs" "-"
done
echo "targets: a frame-accurate still <= 1.0 x ffmpeg's fast road (r_fast); a batch <= 0.8 x ffmpeg's (r_exact)"
