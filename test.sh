#!/usr/bin/env bash
# Builds everything and runs every test: the Linux tests under ASan and UBSan
# (preset linux), the cross-built DLL's tests under wine (preset windows) and,
# when the fuzzer is present, its short run (preset fuzz). Installs missing
# Debian packages first. Ends with ctest's summaries; exits non-zero on any
# failure.
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

presets=(linux windows)
[ -f fuzz/CMakeLists.txt ] && presets+=(fuzz)

for preset in "${presets[@]}"; do
    echo "== configure and build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
done

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0
for preset in "${presets[@]}"; do
    echo "== tests: $preset"
    if ! ctest --preset "$preset" --parallel "$(nproc)" 2>&1 | tee "$logs/$preset.log"; then
        status=1
    fi
done

echo
echo "== summary"
for preset in "${presets[@]}"; do
    echo "-- $preset"
    sed -n '/tests passed/,$p' "$logs/$preset.log"
done
exit $status
