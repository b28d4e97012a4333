#!/usr/bin/env bash
# The package's Maintainer and Homepage as they are set when it is made:
# configures the project (nothing is compiled) with each way of setting them
# and reads what CPack and the changelog would carry.
#   check-fields.sh SOURCE-DIR
set -euo pipefail
SRC=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# configure NAME [cmake arguments...]: the package fields of that configuration.
configure() {
  local dir=$WORK/$1
  shift
  cmake -S "$SRC" -B "$dir" -DBUILD_TESTING=OFF "$@" >"$dir.log" 2>&1 ||
    { cat "$dir.log" >&2; fail "configure $*"; }
  CONTACT=$(sed -n 's/^set(CPACK_PACKAGE_CONTACT "\(.*\)")$/\1/p' "$dir/CPackConfig.cmake")
  HOMEPAGE=$(sed -n 's/^set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "\(.*\)")$/\1/p' "$dir/CPackConfig.cmake")
  SIGNED=$(sed -n 's/^ -- \(.*\)  .*$/\1/p' "$dir/dist/changelog.Debian")
}

# Set at package time.
configure given -DKELVARN_MAINTAINER="Erika Muster <erika@muster.test>" \
  -DKELVARN_HOMEPAGE=https://laerm.muster.test/kelvarn
[ "$CONTACT" = "Erika Muster <erika@muster.test>" ] || fail "Maintainer: '$CONTACT'"
[ "$HOMEPAGE" = https://laerm.muster.test/kelvarn ] || fail "Homepage: '$HOMEPAGE'"
[ "$SIGNED" = "$CONTACT" ] || fail "changelog signed by '$SIGNED'"

# Debian's own variables name the maintainer; no homepage, no field.
DEBFULLNAME="Max Muster" DEBEMAIL=max@muster.test configure debian
[ "$CONTACT" = "Max Muster <max@muster.test>" ] || fail "Maintainer from DEBEMAIL: '$CONTACT'"
[ -z "$HOMEPAGE" ] || fail "Homepage without one set: '$HOMEPAGE'"
[ "$SIGNED" = "$CONTACT" ] || fail "changelog signed by '$SIGNED'"

# A homepage set once and then emptied is gone again.
configure given -DKELVARN_HOMEPAGE=
[ -z "$HOMEPAGE" ] || fail "Homepage after emptying: '$HOMEPAGE'"

head -1 "$WORK/given/dist/changelog.Debian" |
  grep -Eq '^kelvarn \([0-9.]+-1\) unstable; urgency=medium$' ||
  fail "changelog heading: $(head -1 "$WORK/given/dist/changelog.Debian")"
echo "package fields check passed"
