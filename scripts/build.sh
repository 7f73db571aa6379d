#!/usr/bin/env bash
# Configures and builds one build tree. Usage: build.sh [--sanitize]
# Prints the build directory on the last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--sanitize" ]; then
  build="$root/build-asan"
  flags=(-DQUORVANE_SANITIZE=ON -DQUORVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo)
else
  build="$root/build"
  flags=(-DQUORVANE_SANITIZE=OFF -DQUORVANE_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S "$root" -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" >&2
echo "$build"
