#!/usr/bin/env bash
# Fails when a tracked C++ file (*.cpp, *.h) differs from the repository's .clang-format, and
# names the files. Changes nothing: `clang-format -i FILE` applies the format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
if [ "${#files[@]}" -eq 0 ]; then
  echo "check-format: no C++ files tracked" >&2
  exit 2
fi

# Batches of files over every core; clang-format names each differing file in its warnings. Each
# batch filters its own output, so that parallel batches cannot interleave within a line.
differing=$(printf '%s\0' "${files[@]}" |
  xargs -0 -n 40 -P "$(nproc)" sh -c 'clang-format --dry-run --Werror "$@" 2>&1 |
    sed -n "s/^\(.*\):[0-9][0-9]*:[0-9][0-9]*: error: code should be clang-formatted.*/\1/p" |
    sort -u' sh |
  sort -u)

if [ -n "$differing" ]; then
  count=$(wc -l <<<"$differing")
  echo "check-format: $count of ${#files[@]} files differ from .clang-format:" >&2
  sed 's/^/  /' <<<"$differing" >&2
  echo "check-format: see one with: clang-format --dry-run FILE; fix with: clang-format -i FILE" >&2
  exit 1
fi
echo "check-format: all ${#files[@]} C++ files match .clang-format"
