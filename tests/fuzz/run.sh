#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one briefly on a copy of
# its seed corpus, with its dictionary (<name>.dict) where there is one. A
# crash, a leak or a sanitizer report fails the run; the input that caused it
# is kept in $OUT for a regression case.
#   tests/fuzz/run.sh [seconds per target] [--long]
# --long lets inputs grow to 4 MB at once (-len_control=0), for long runs
# that look for time and memory that grow faster than the input.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
SECONDS_EACH=${1:-30}
LENGTH_OPTIONS=(-max_len=8192)
if [ "${2:-}" = "--long" ]; then
  LENGTH_OPTIONS=(-max_len=4194304 -len_control=0 -rss_limit_mb=4096)
fi
BUILD=${KELVARN_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
OUT=${KELVARN_FUZZ_OUT:-$BUILD/findings}
# Warnings are errors here as in every other build: a fuzz target that ignores a result hides
# the case it should reach.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$ROOT" -B "$BUILD" -DKELVARN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DKELVARN_WERROR=ON "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
mkdir -p "$OUT"
status=0
for target in "$BUILD"/tests/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$ROOT/tests/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  dict=()
  [ -f "$ROOT/tests/fuzz/${name#fuzz_}.dict" ] && dict=(-dict="$ROOT/tests/fuzz/${name#fuzz_}.dict")
  echo "== $name (${SECONDS_EACH}s)"
  if ! "$target" "$work" -max_total_time="$SECONDS_EACH" "${LENGTH_OPTIONS[@]}" "${dict[@]}" \
      -timeout=10 -artifact_prefix="$OUT/$name-" -print_final_stats=1 2>"$OUT/$name.log"; then
    echo "FAILED: $name; see $OUT/$name.log"
    tail -30 "$OUT/$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::average_exec_per_sec|Done' "$OUT/$name.log" | tail -3
  fi
  rm -rf "$work"
done
exit $status
