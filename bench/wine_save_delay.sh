#!/usr/bin/env bash
# The delay from a save of atmosphere.ini to the module's reload of it, under
# wine in real time: game.exe runs the real DLL at 16 ms a frame of wall-clock
# time with [GLOBAL] AutoReload=1, this script saves the file SAVES times, a
# second or more apart, and times each save until the log's "changed on disk"
# line appears (the line is written when the reload begins; the settings are
# in force at the end of that frame). The log is looked at every 5 ms. Not a
# test: run it on an idle machine.
#   bench/wine_save_delay.sh [BUILD_DIR=build/windows] [SAVES=20]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=$(realpath "${1:-build/windows}")
saves=${2:-20}
work=$(mktemp -d)
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
trap 'touch "$work/stop.done"; wait; wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

cp "$build/game.exe" "$build/ScriptHookV.dll" "$build/atmosphere.asi" atmosphere.ini "$work/"
printf 'weather clouds clouds 0\naltitude 730\npace on\nload\nuntil-file stop.done 60000\nunload\n' \
    > "$work/paced.scenario"
(cd "$work" && "$wine" game.exe paced.scenario trace.txt >/dev/null) &
until [ -s "$work/atmosphere.log" ]; do sleep 0.05; done
sleep 1

delays=()
for ((i = 1; i <= saves; ++i)); do
    before=$(grep -c "changed on disk" "$work/atmosphere.log" || true)
    # Alternate two values of NormalZoneEnd, as an editor saves: the whole file.
    sed "s/^NormalZoneEnd=800/NormalZoneEnd=$((800 + i % 2 * 10))/" atmosphere.ini > "$work/atmosphere.ini.new"
    start=$(date +%s%N)
    cat "$work/atmosphere.ini.new" > "$work/atmosphere.ini"
    while [ "$(grep -c "changed on disk" "$work/atmosphere.log" || true)" -le "$before" ]; do
        sleep 0.005
        if (( $(date +%s%N) - start > 5000000000 )); then echo "save $i: no reload within 5 s" >&2; exit 1; fi
    done
    delays+=($((($(date +%s%N) - start) / 1000000)))
    sleep 1.$((RANDOM % 10))
done
printf '%s\n' "${delays[@]}" | sort -n | awk '{ d[NR] = $1; sum += $1 } END {
    printf "save to reload: median %d ms, min %d ms, max %d ms, mean %.0f ms (%d saves)\n", d[int((NR + 1) / 2)], d[1], d[NR], sum / NR, NR
}'
