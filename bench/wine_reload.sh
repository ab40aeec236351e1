#!/usr/bin/env bash
# What a reload and a start-up of the real DLL cost under wine: game.exe runs
# the module with the shipped atmosphere.ini, once pressing the reload key on
# every frame and once a key that is bound to nothing, and the difference in
# time per frame is one reload. Start-up likewise: load and unload cycles with
# and without the file. Measured on the machine as it is, so run it a few
# times; not a test.
#   bench/wine_reload.sh [BUILD_DIR=build/windows] [FRAMES=600] [MODULE=BUILD_DIR/atmosphere.asi] [CYCLES=FRAMES/10]
# MODULE measures another build of the module (an older one, say) on the
# same stand-in host. The log takes four lines a reload: past about 700
# reloads it has reached its limit and writes no more, so FRAMES stays below
# that for a reload that logs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=$(realpath "${1:-build/windows}")
frames=${2:-600}
module=$(realpath "${3:-$build/atmosphere.asi}")
cycles=${4:-$((frames / 10))}
work=$(mktemp -d)
source bench/wine_env.sh
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

scenario() {  # NAME STEP: a scenario that repeats STEP before each of $frames frames
    { echo "weather clouds clouds 0"; echo load; echo "frames 2"
      for ((i = 0; i < frames; ++i)); do [ -n "$2" ] && echo "$2"; echo "frames 1"; done
      echo unload; } > "$work/$1.scenario"
}
scenario reload "key 0x2E"
scenario other "key 0x41"
{ echo "weather clouds clouds 0"; for ((i = 0; i < cycles; ++i)); do echo load; echo "frames 1"; echo unload; done; } \
    > "$work/cycles.scenario"
# Ordinary frames, with the file watched (AutoReload=1, one look every 250 ms
# of the simulated clock, i.e. every 16th frame) and without.
watchframes=$((frames * 40))
{ echo "weather clouds clouds 0"; echo load; echo "frames $watchframes"; echo unload; } > "$work/plain.scenario"
mkdir -p "$work/with" "$work/without" "$work/unwatched"
for folder in with without unwatched; do
    cp "$build/game.exe" "$build/ScriptHookV.dll" "$work/$folder/"
    cp "$module" "$work/$folder/atmosphere.asi"
done
cp atmosphere.ini "$work/with/"
sed 's/^AutoReload=1/AutoReload=0/' atmosphere.ini > "$work/unwatched/atmosphere.ini"

seconds() {  # FOLDER SCENARIO: wall time of one run
    local start end
    start=$(date +%s%N)
    (cd "$work/$1" && "$wine" game.exe "$work/$2.scenario" trace.txt >/dev/null)
    end=$(date +%s%N)
    echo $(((end - start) / 1000))  # microseconds
}
seconds with other >/dev/null  # warm up
reload=$(seconds with reload); other=$(seconds with other)
with=$(seconds with cycles); without=$(seconds without cycles)
watched=$(seconds with plain); unwatched=$(seconds unwatched plain)
awk -v r="$reload" -v o="$other" -v n="$frames" -v w="$with" -v x="$without" -v c="$cycles" \
    -v a="$watched" -v u="$unwatched" -v f="$watchframes" 'BEGIN {
    printf "reload:   %.3f ms per reload (%d reloads: %.2f s, %d other keys: %.2f s)\n", (r - o) / n / 1000, n, r / 1e6, n, o / 1e6
    printf "start-up: %.3f ms more with the file (%d start-ups with it: %.2f s, without: %.2f s)\n", (w - x) / c / 1000, c, w / 1e6, x / 1e6
    printf "start-up with the file: %.3f ms each (load, one frame, unload)\n", w / c / 1000
    printf "frame:    %.4f ms watched (AutoReload=1), %.4f ms not (%d frames: %.2f s, %.2f s)\n", a / f / 1000, u / f / 1000, f, a / 1e6, u / 1e6
}' 
