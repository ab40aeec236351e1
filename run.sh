#!/usr/bin/env bash
# The main job: builds everything (atmosphere.asi and atmosphere-sim.exe with
# preset windows into build/windows/, the Linux build with its tests, and the
# optimised Linux tools with preset release), then previews the shipped
# atmosphere.ini: the real module flies a climb in the simulated game and the
# chart and the timeline are written into ./preview/. Arguments are passed on
# to `atmosphere-sim run` (for example --weather THUNDER, or another file).
# Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

source scripts/install-packages.sh
install_missing_packages

# web first: the tools embed its module into the report page.
for preset in web windows linux release; do
    echo "== configure and build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
done

echo
echo "== build/windows/atmosphere.asi is built; put it and atmosphere.ini beside the game's executable."
echo "== build/windows/atmosphere-sim.exe checks and previews a file on Windows."
echo "== (cmake --build --preset windows --target package makes the release zip)"
echo
echo "== preview of atmosphere.ini"
build/release/atmosphere-sim run "$@"
