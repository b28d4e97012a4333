#!/usr/bin/env bash
# The built kelvarn on an X server of its own, started as a file manager's
# "Open with" starts it: the file opens, and the window's title on the
# screen is exactly the program's own, with nothing appended by Qt.
#   check-title.sh BUILD-DIR MEASUREMENT-FILE
set -euo pipefail
BUILD=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$2" "$WORK/MESS1.DBA"

cat >"$WORK/run.sh" <<SCRIPT
KELVARN_CONFIG_DIR="$WORK" QT_QPA_PLATFORM=xcb "$BUILD/kelvarn" "$WORK/MESS1.DBA" &
pid=\$!
title=
for _ in \$(seq 300); do
  for w in \$(xdotool search --pid \$pid 2>/dev/null); do
    name=\$(xdotool getwindowname \$w)
    case "\$name" in KELVARN*) title=\$name ;; esac
  done
  [ -n "\$title" ] && break
  sleep 0.1
done
kill \$pid
echo "title: '\$title'"
[ "\$title" = "KELVARN - MESS1.DBA" ]
SCRIPT
xvfb-run -a -s "-screen 0 1024x768x24" bash "$WORK/run.sh"
