#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, makes a release build in build-package/
# with Debian's hardening flags, then lets CPack write build-package/quorvane_<version>_<arch>.deb.
# Prints the package's path on the last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-package"

"$root/scripts/install-deps.sh" >&2

# Debian's own flags for packages, hardening included. -Wdate-time goes: the window's title shows
# the build date on purpose, and with -Werror the warning would stop the build.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS | sed 's/-Wdate-time//')
cflags="$(dpkg-buildflags --get CFLAGS) $cppflags"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
ldflags=$(dpkg-buildflags --get LDFLAGS)

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Debian's flags carry the optimisation (-O2); Release adds only NDEBUG. The install step must not
# build everything (tests, benchmarks): only the package's targets are built below.
cmake -S "$root" -B "$build" "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DQUORVANE_SANITIZE=OFF -DQUORVANE_BUILD_BENCH=OFF >&2
cmake --build "$build" -j"$(nproc)" \
  --target quorvane quorvane-demo-server quorvane_packaging_files >&2

rm -f "$build"/quorvane_*.deb
(cd "$build" && cpack -G DEB >&2)
package=$(ls "$build"/quorvane_*.deb)
echo "$package"
