#!/usr/bin/env bash
# Builds everything and runs every test: the module in WebAssembly for the
# report page, checked in node against the Linux tool (preset web), the Linux
# tests under ASan and UBSan (preset linux), the cross-built DLL's tests under wine (preset windows) and,
# when the fuzzer is present, its short run (preset fuzz). Installs missing
# Debian packages first. Ends with ctest's summaries; exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

source scripts/install-packages.sh
install_missing_packages

# web first: the Linux and Windows tools embed its module into the report page.
presets=(web linux windows)
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
