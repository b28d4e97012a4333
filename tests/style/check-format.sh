#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/../.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "Run: clang-format -i \$(git ls-files '*.cpp' '*.h')" >&2
  exit 1
fi
echo "format: ${#files[@]} files as clang-format writes them"
