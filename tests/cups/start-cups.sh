#!/usr/bin/env bash
# A private print service for the print test of the output suite: a CUPS
# server on its own socket, with one PDF printer ("KelvarnPDF", cups-pdf) as
# its default and a second queue ("KelvarnRefuse") that refuses every job.
# Nothing of the machine's own printing is touched beyond the printer's own
# cups-pdf settings file.
#
#   eval "$(bash tests/cups/start-cups.sh)"       start (or reuse) and export
#   bash tests/cups/start-cups.sh stop            stop the server
#
# On success it prints the lines to evaluate:
#   export CUPS_SERVER=<socket>            where Qt's print support looks
#   export KELVARN_CUPS_OUT=<folder>       where the printed PDF files land
# When it cannot run here (not root, CUPS or cups-pdf missing, the server
# does not come up) it prints nothing to stdout and says why on stderr; the
# print-queue test then skips.
set -uo pipefail

DIR=${KELVARN_CUPS_DIR:-/tmp/kelvarn-cups}
SOCK=$DIR/cups.sock
OUT=$DIR/out
QUEUE=KelvarnPDF
REFUSE=KelvarnRefuse
PDF_CONF=/etc/cups/cups-pdf-kelvarn.conf

say() { echo "start-cups: $*" >&2; }

running() { [ -S "$SOCK" ] && lpstat -h "$SOCK" -r 2>/dev/null | grep -q "is running"; }

stop() {
  if [ -f "$DIR/cupsd.pid" ]; then
    kill "$(cat "$DIR/cupsd.pid")" 2>/dev/null || true
    rm -f "$DIR/cupsd.pid"
  fi
}

if [ "${1:-start}" = stop ]; then
  stop
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  say "skipped: needs root (the cups-pdf backend runs as root)"; exit 0
fi
for tool in cupsd lpadmin lpstat; do
  command -v "$tool" >/dev/null || { say "skipped: $tool missing (packages cups, cups-client)"; exit 0; }
done
if [ ! -x /usr/lib/cups/backend/cups-pdf ] || [ ! -f /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd ]; then
  say "skipped: cups-pdf missing (package printer-driver-cups-pdf)"; exit 0
fi

# Two test runs at once share one server; the second waits for the first.
exec 9>"$DIR.lock"
flock 9

if ! running; then
  stop
  rm -rf "$DIR"
  mkdir -p "$DIR"/{etc/ppd,spool/tmp,cache,state,log} "$OUT"
  chmod 0755 "$DIR" "$OUT"
  chmod 1777 "$DIR/spool/tmp"
  cat >"$DIR/etc/cupsd.conf" <<CONF
Listen $SOCK
Browsing Off
DefaultAuthType None
LogLevel warn
WebInterface No
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
  cat >"$DIR/etc/cups-files.conf" <<CONF
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
SystemGroup root
CONF
  # cups-pdf takes the settings of a queue whose device is cups-pdf:/kelvarn
  # from this file: every job lands in OUT, named after its title.
  cat >"$PDF_CONF" <<CONF
Out $OUT
AnonDirName $OUT
Label 0
TitlePref 1
UserUMask 0022
CONF
  setsid cupsd -f -c "$DIR/etc/cupsd.conf" -s "$DIR/etc/cups-files.conf" \
    </dev/null >>"$DIR/log/cupsd.out" 2>&1 9>&- &
  echo $! >"$DIR/cupsd.pid"
  for _ in $(seq 50); do running && break; sleep 0.1; done
  if ! running; then
    say "skipped: the CUPS server did not come up (see $DIR/log)"; stop; exit 0
  fi
  PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
  if ! lpadmin -h "$SOCK" -p "$QUEUE" -E -v cups-pdf:/kelvarn -P "$PPD" 2>>"$DIR/log/cupsd.out" ||
     ! lpadmin -h "$SOCK" -d "$QUEUE" 2>>"$DIR/log/cupsd.out" ||
     ! lpadmin -h "$SOCK" -p "$REFUSE" -E -v cups-pdf:/kelvarn -P "$PPD" 2>>"$DIR/log/cupsd.out" ||
     ! cupsreject -h "$SOCK" -r "Papierstau" "$REFUSE" 2>>"$DIR/log/cupsd.out"; then
    say "skipped: the PDF printer could not be set up (see $DIR/log)"; stop; exit 0
  fi
fi

echo "export CUPS_SERVER=$SOCK"
echo "export KELVARN_CUPS_OUT=$OUT"
