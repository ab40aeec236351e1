# Sourced by the wine benchmarks once $build is set: the build's own prefix,
# wine quiet, the build's launcher as the tests start wine (cmake/Windows.cmake
# says why), and one wine server kept up for the whole benchmark, so that its
# start-up is no part of what is measured. The server must not hold the
# caller's output open; the caller stops it (wineserver -k) at the end.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=wine
[ -x "$build/wine-fixed-layout" ] && wine="$build/wine-fixed-layout"
wineserver -p </dev/null >/dev/null 2>&1 || true
