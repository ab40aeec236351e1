#!/usr/bin/env bash
# Builds the module: atmosphere.dll (preset windows, build/windows/), the Linux
# build with its tests (preset linux) and the optimised Linux tools (preset
# release); then flies a short simulated session with the module on the
# simulated host and prints, frame by frame, the state it left the game in.
# Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

PACKAGES=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
          libcli11-dev nlohmann-json3-dev clang libclang-rt-14-dev)

# Installs the packages that dpkg does not report as installed; quiet and
# quick when nothing is missing. Non-interactive: CI has no terminal.
install_missing_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "== installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}

install_missing_packages "${PACKAGES[@]}"

for preset in windows linux release; do
    echo "== configure and build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
done

echo
echo "== build/windows/atmosphere.dll is built; put it and atmosphere.ini beside the game's executable."
echo
echo "== a simulated flight (sim/scenarios/climb.scenario), game folder: $(pwd)"
build/release/sim/atmosphere-scenario --game-dir . --summary sim/scenarios/climb.scenario
