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

# One clang-format per core, a batch of files each; every differing file prints its warnings.
differing=$(printf '%s\0' "${files[@]}" |
  xargs -0 -n 20 -P "$(nproc)" sh -c 'for f; do
      clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"
    done' sh | sort)

if [ -n "$differing" ]; then
  count=$(wc -l <<<"$differing")
  echo "check-format: $count of ${#files[@]} files differ from .clang-format:" >&2
  sed 's/^/  /' <<<"$differing" >&2
  echo "check-format: see one with: clang-format --dry-run FILE; fix with: clang-format -i FILE" >&2
  exit 1
fi
echo "check-format: all ${#files[@]} C++ files match .clang-format"
