#!/usr/bin/env bash
# Fails when a tracked file still holds a merge-conflict marker: a half-resolved merge must not
# land, whatever language the file is in.
set -euo pipefail
cd "$(dirname "$0")/../.."
if git grep -n -I -E '^(<{7}|>{7}|\|{7})( |$)|^={7}$' -- . ':!tests/style/check-conflicts.sh'; then
  echo "Merge-conflict markers in the files above: resolve them." >&2
  exit 1
fi
echo "conflicts: no merge-conflict markers in $(git ls-files | wc -l) tracked files"
