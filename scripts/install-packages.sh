# Sourced by run.sh and test.sh: installs the Debian packages the builds and
# tests use that dpkg does not report as installed; quiet and quick when
# nothing is missing. Non-interactive: CI has no terminal. Uses sudo when not
# run as root.
ATMOSPHERE_PACKAGES=(cmake ninja-build g++ pkg-config googletest libgtest-dev libbenchmark-dev
                     g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
                     libcli11-dev nlohmann-json3-dev libtinyxml2-dev clang libclang-rt-14-dev python3 chromium
                     emscripten nodejs)

install_missing_packages() {
    local missing=() package
    for package in "${ATMOSPHERE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "== installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}
