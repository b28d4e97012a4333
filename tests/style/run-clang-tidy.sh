#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the core library and the simulated
# devices the tests stand on, one process per core, with the compile
# commands of the build folder given.
#   bash tests/style/run-clang-tidy.sh BUILD
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:?build folder with compile_commands.json}
mapfile -t files < <(git ls-files 'data/*.cpp' 'eval/*.cpp' 'link/*.cpp' 'cell/*.cpp' 'files/*.cpp' 'document/*.cpp' 'sim/*.cpp')
start=$SECONDS
printf '%s\n' "${files[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: ${#files[@]} core and simulator files clean in $((SECONDS - start)) s"
