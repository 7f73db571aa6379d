#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             plain build in build/
#   scripts/test.sh --sanitize  ASan + UBSan build in build-asan/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=""
case "${1:-}" in
  "") ;;
  --sanitize) mode=--sanitize ;;
  *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh"
build=$("$root/scripts/build.sh" $mode | tail -n 1)

export QT_QPA_PLATFORM=offscreen
if [ -n "$mode" ]; then
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # Libraries we do not build (fontconfig, Qt's platform plugins) keep caches for the process life.
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
fi
cd "$build"
ctest --output-on-failure --timeout 900 -j"$(nproc)"
