#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one briefly on a copy of
# its seed corpus. A crash, a leak or a sanitizer report fails the run; the
# input that caused it is kept in $OUT for a regression case.
#   tests/fuzz/run.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD
SECONDS_EACH=${1:-30}
BUILD=${KELVARN_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
OUT=${KELVARN_FUZZ_OUT:-$BUILD/findings}
cmake -S "$ROOT" -B "$BUILD" -DKELVARN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
mkdir -p "$OUT"
status=0
for target in "$BUILD"/tests/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$ROOT/tests/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  echo "== $name (${SECONDS_EACH}s)"
  if ! "$target" "$work" -max_total_time="$SECONDS_EACH" -max_len=8192 -timeout=10 \
      -artifact_prefix="$OUT/$name-" -print_final_stats=1 2>"$OUT/$name.log"; then
    echo "FAILED: $name; see $OUT/$name.log"
    tail -30 "$OUT/$name.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "$OUT/$name.log" | tail -2
  fi
  rm -rf "$work"
done
exit $status
