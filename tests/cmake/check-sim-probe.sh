#!/bin/bash
# Configures tests/cmake/sim_probe once per way of linking the simulator
# library and checks which of them the configure refuses, and with what.
#   check-sim-probe.sh SOURCE_DIR WORK_DIR
set -u
source_dir=$1
work=$2
probe=$source_dir/tests/cmake/sim_probe
failed=0
expect() {  # name, expected exit (0 or 1), text the output must hold
  local out rc
  rm -rf "$work/$1"
  out=$(cmake -S "$probe" -B "$work/$1" -DKELVARN_SOURCE_DIR="$source_dir" -DPROBE="$1" 2>&1)
  rc=$?
  [ "$rc" -ne 0 ] && rc=1
  if [ "$rc" -ne "$2" ] || ! grep -qF -- "$3" <<<"$out"; then
    echo "probe $1: exit $rc, expected $2 and \"$3\" in:"
    echo "$out"
    failed=1
  fi
}
expect none 0 "Generating done"
expect direct 1 "kelvarn -> kelvarn_sim"
expect through 1 "kelvarn -> kelvarn_core -> middle -> kelvarn_sim"
exit $failed
