#!/bin/sh
# SPDX-License-Identifier: MIT
# The game's own loops, timed in-process: bench_loop over Xlib on an 8-bit
# Xvfb beside bench_loop_sdl through pelko-play's seam, on a 24-bit Xvfb
# (SDL's x11 driver) and under weston (its x11 back-end with pixman on
# another one; SDL's wayland driver), each at --scale 1 and at the default;
# RUNS rounds, the configurations in turn, then the medians.
#   tools/bench/loops.sh BUILD_DIR [RUNS]
set -eu
build=$(cd "$1" && pwd)
runs=${2:-3}
work=$(mktemp -d /tmp/pelko-loops-XXXXXX)
chmod 700 "$work"
mkdir "$work/data"
cp "$build"/data/pelko.grid "$build"/data/pelko.font "$build"/data/pelko.raw "$work/data/"
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb on a free display: its number in $work/display.NAME.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "1920x1080x$2" -nolisten tcp -noreset \
        3>"$work/display.$1" >/dev/null 2>&1 &
    pids="$pids $!"
    until [ -s "$work/display.$1" ]; do sleep 0.1; done
}
start_xvfb x8 8
start_xvfb x24 24
start_xvfb w 24
d8=":$(head -n1 "$work/display.x8")"
d24=":$(head -n1 "$work/display.x24")"
dw=":$(head -n1 "$work/display.w")"
DISPLAY=$dw XDG_RUNTIME_DIR=$work weston --backend=x11-backend.so --use-pixman \
    --width=1920 --height=1080 --socket=wayland-loops --idle-time=0 --no-config \
    --log="$work/weston.log" >/dev/null 2>&1 &
pids="$! $pids"
until [ -S "$work/wayland-loops" ]; do sleep 0.1; done
sleep 1.5

loop="$build/tools/bench/bench_loop"
sdl="$build/tools/bench/bench_loop_sdl"
# name, then the command run in the data's directory
configs="x8
x11-scale1
x11-default
wayland-scale1
wayland-default"
run_config() {
    case $1 in
    x8) env DISPLAY="$d8" "$loop" ;;
    x11-scale1) env DISPLAY="$d24" SDL_VIDEODRIVER=x11 "$sdl" --scale 1 ;;
    x11-default) env DISPLAY="$d24" SDL_VIDEODRIVER=x11 "$sdl" ;;
    wayland-scale1) env -u DISPLAY XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY=wayland-loops \
        SDL_VIDEODRIVER=wayland "$sdl" --scale 1 ;;
    wayland-default) env -u DISPLAY XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY=wayland-loops \
        SDL_VIDEODRIVER=wayland "$sdl" ;;
    esac
}

echo "command: $0 $*"
echo "bench_loop on an 8-bit Xvfb (x8); bench_loop_sdl on a 24-bit Xvfb (x11-*) and under"
echo "weston (wayland-*); all screens 1920x1080; $runs rounds"
cd "$work"
for r in $(seq "$runs"); do
    for c in $configs; do
        load=$(cut -d' ' -f1 /proc/loadavg)
        run_config "$c" 2>&1 | grep -v '^Pelko' | sed "s/^/round $r  $c  load $load  | /" |
            tee -a "$work/all"
    done
done

echo
echo "medians over the rounds (per s for the ticks; ms for the wipes and the explosion)"
printf '%-16s %12s %12s %14s %12s %16s\n' config "title ticks" "game ticks" "dissolve ms" \
    "sweep ms" "explosion ms"
median() { sort -n | awk '{v[NR]=$1} END {if (NR % 2) print v[(NR+1)/2]; else printf "%.2f\n", (v[NR/2]+v[NR/2+1])/2}'; }
for c in $configs; do
    pick() { grep "  $c  " "$work/all" | grep "$1" | sed 's/.*| //' | awk "{print \$$2}" | median; }
    printf '%-16s %12s %12s %14s %12s %16s\n' "$c" "$(pick 'title ticks' 8)" \
        "$(pick 'game ticks' 9)" "$(pick 'dissolve' 6)" "$(pick 'sweep' 6)" \
        "$(pick 'explosion' 8)"
done
